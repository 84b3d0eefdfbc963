// The UI thread: the hidden window that owns the program's windows, the door
// through which other threads act on them, and thread messages.
#include <atomic>

#include "platform/toolkit.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_toolkit.h"
#include "platform/win32/win32_windows.h"

#include <commctrl.h>  // after <windows.h>, which it needs

namespace platform::win32 {

namespace {

constexpr wchar_t kOwnerClass[] = L"picdock.owner";
constexpr UINT kRunCallMessage = WM_APP + 1;
constexpr UINT kThreadHandlerMessage = WM_APP + 2;

std::atomic<DWORD> gUiThread{0};
std::atomic<HWND> gOwner{nullptr};
std::atomic<bool> gEnding{false};

LRESULT CALLBACK OwnerProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunCallMessage) {
    // While a fatal error is shown, other threads' window writes are
    // dropped: the process is ending, and the program must not act inside
    // the message box's loop.
    if (!Ending()) (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

HINSTANCE Instance() { return ::GetModuleHandleW(nullptr); }
HWND OwnerWindow() { return gOwner; }
bool OnUiThread() { return ::GetCurrentThreadId() == gUiThread; }

void InitialiseToolkit() {
  if (gOwner != nullptr) return;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);

  WNDCLASSEXW ownerClass{};
  ownerClass.cbSize = sizeof ownerClass;
  ownerClass.lpfnWndProc = OwnerProcedure;
  ownerClass.hInstance = Instance();
  ownerClass.lpszClassName = kOwnerClass;
  ::RegisterClassExW(&ownerClass);
  RegisterWindowClasses();

  // A top-level window that is never shown: windows it owns get no taskbar
  // button. (A message-only window can't own windows.)
  HWND owner = ::CreateWindowExW(0, kOwnerClass, L"picdock", WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, Instance(), nullptr);
  if (owner == nullptr) FatalError(WithSystemError("Can't create the toolkit's window"));
  gUiThread = ::GetCurrentThreadId();
  gOwner = owner;
}

void RunOnUiThread(const std::function<void()>& call) {
  HWND owner = gOwner;
  if (owner == nullptr || OnUiThread()) {
    call();
    return;
  }
  ::SendMessageW(owner, kRunCallMessage, 0, reinterpret_cast<LPARAM>(&call));
}

void PostThreadHandler(DWORD thread, void (*handler)(void*), void* argument) {
  ::PostThreadMessageW(thread, kThreadHandlerMessage, reinterpret_cast<WPARAM>(handler),
                       reinterpret_cast<LPARAM>(argument));
}

bool RunThreadHandler(const MSG& message) {
  if (message.hwnd != nullptr || message.message != kThreadHandlerMessage) return false;
  auto handler = reinterpret_cast<void (*)(void*)>(message.wParam);
  if (handler != nullptr) handler(reinterpret_cast<void*>(message.lParam));
  return true;
}

void DispatchOne(const MSG& message) {
  if (RunThreadHandler(message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

bool Ending() { return gEnding; }
void SetEnding() { gEnding = true; }

void ReleaseToolkit() {
  DestroyAllNativeWindows();
  if (HWND owner = gOwner.exchange(nullptr)) ::DestroyWindow(owner);
}

}  // namespace platform::win32
