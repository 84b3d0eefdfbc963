// The program's top-level windows: borderless popups, owned by the toolkit's
// hidden window so that they have no taskbar button, kept in step with the
// toolkit's record.
#include "platform/win32/win32_windows.h"

#include <map>
#include <mutex>

#include "platform/toolkit.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_toolkit.h"
#include "platform/window_model.h"

namespace platform::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"picdock.window";
constexpr int kProgramIconResource = 1;

std::map<const WindowDefinition*, NativeWindow> gNative;  // UI thread only

const WindowDefinition* DefinitionOf(HWND hwnd) {
  return reinterpret_cast<const WindowDefinition*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

ControlState RecordOf(Control control) {
  std::lock_guard lock(ModelMutex());
  return StateOf(control);
}

void RaiseEscape(const WindowDefinition* window) {
  if (!Ending() && window->onEscape != nullptr) window->onEscape();
}

void ForgetWindow(const WindowDefinition* window) {
  auto found = gNative.find(window);
  if (found == gNative.end()) return;
  for (NativeControl& control : found->second.controls) FreeControl(control);
  if (found->second.background != nullptr) ::DeleteObject(found->second.background);
  gNative.erase(found);
  bool anyLeft;
  {
    std::lock_guard lock(ModelMutex());
    UnloadModel(window);
    anyLeft = AnyModelLoaded();
  }
  if (!anyLeft) ::PostQuitMessage(0);
}

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
  const WindowDefinition* window = DefinitionOf(hwnd);
  if (window == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);

  LRESULT result = 0;
  if (HandleControlMessage(window, message, wParam, lParam, &result)) return result;

  switch (message) {
    case WM_ERASEBKGND: {
      NativeWindow* native = NativeWindowOf(window);
      if (native == nullptr || native->background == nullptr) break;
      RECT client;
      ::GetClientRect(hwnd, &client);
      ::FillRect(reinterpret_cast<HDC>(wParam), &client, native->background);
      return 1;
    }
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        RaiseEscape(window);
        return 0;
      }
      break;
    case WM_CLOSE:
      // Alt+F4 and the system's close requests do what Esc does: the program
      // decides, and no window of the program is closed behind its back.
      RaiseEscape(window);
      return 0;
    case WM_GETMINMAXINFO: {
      // The geometry is the program's: no minimum or maximum of the system's.
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {0, 0};
      limits->ptMaxTrackSize = {32767, 32767};
      return 0;
    }
    case WM_NCDESTROY:
      ForgetWindow(window);
      break;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

HICON ProgramIcon() {
  static HICON icon = static_cast<HICON>(::LoadImageW(
      Instance(), MAKEINTRESOURCEW(kProgramIconResource), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  return icon;
}

}  // namespace

COLORREF ColourOf(Rgb colour) {
  if (colour == kButtonFace) return ::GetSysColor(COLOR_BTNFACE);
  return RGB(colour.r, colour.g, colour.b);
}

NativeWindow* NativeWindowOf(const WindowDefinition* window) {
  auto found = gNative.find(window);
  return found == gNative.end() ? nullptr : &found->second;
}

bool ControlOfHwnd(HWND hwnd, Control* control) {
  for (auto& [definition, native] : gNative) {
    if (native.hwnd == hwnd) {
      *control = {definition, -1};
      return true;
    }
    for (std::size_t i = 0; i < native.controls.size(); ++i) {
      if (native.controls[i].hwnd == hwnd) {
        *control = {definition, static_cast<int>(i)};
        return true;
      }
    }
  }
  return false;
}

void RegisterWindowClasses() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = Instance();
  windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.lpszClassName = kWindowClass;
  if (::RegisterClassExW(&windowClass) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    FatalError(WithSystemError("RegisterClassExW(picdock.window)"));
  }
  RegisterPictureBoxClass();
}

void CreateNativeWindow(const WindowDefinition* window) {
  ControlState self = RecordOf({window, -1});
  DWORD extendedStyle = window->topmost ? WS_EX_TOPMOST : 0;
  HWND hwnd = ::CreateWindowExW(extendedStyle, kWindowClass, L"", WS_POPUP | WS_CLIPCHILDREN,
                                self.left, self.top, self.width, self.height, OwnerWindow(),
                                nullptr, Instance(), const_cast<WindowDefinition*>(window));
  if (hwnd == nullptr) {
    FatalError(WithSystemError(std::string("Can't create the ") + window->role + " window"));
  }
  NativeWindow& native = gNative[window];
  native.hwnd = hwnd;
  native.background = ::CreateSolidBrush(ColourOf(window->background));
  if (window->programIcon && ProgramIcon() != nullptr) {
    ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ProgramIcon()));
    ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(ProgramIcon()));
  }
  CreateControls(window, native);
}

void DestroyNativeWindow(const WindowDefinition* window) {
  if (NativeWindow* native = NativeWindowOf(window)) ::DestroyWindow(native->hwnd);
}

void DestroyAllNativeWindows() {
  while (!gNative.empty()) {
    const WindowDefinition* window = gNative.begin()->first;
    HWND hwnd = gNative.begin()->second.hwnd;
    ::DestroyWindow(hwnd);
    gNative.erase(window);  // in case the window was already gone
  }
}

void SyncGeometry(Control control) {
  NativeWindow* native = NativeWindowOf(control.window);
  if (native == nullptr) return;
  ControlState state = RecordOf(control);
  HWND hwnd = control.IsWindow() ? native->hwnd : native->controls[control.index].hwnd;
  if (hwnd == nullptr) return;
  ::SetWindowPos(hwnd, nullptr, state.left, state.top, state.width, state.height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  if (!control.IsWindow()) {
    bool shown = (::GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != state.visible) ::ShowWindow(hwnd, state.visible ? SW_SHOWNA : SW_HIDE);
  }
}

void SyncVisibility(const WindowDefinition* window) {
  NativeWindow* native = NativeWindowOf(window);
  if (native == nullptr) return;
  bool visible = RecordOf({window, -1}).visible;
  // Showing a hidden window activates it; a shown one is left as it is.
  if (visible != (::IsWindowVisible(native->hwnd) != FALSE)) {
    ::ShowWindow(native->hwnd, visible ? SW_SHOW : SW_HIDE);
    // Painted at once rather than at the next turn of the message loop, and
    // handed to the screen (GdiFlush): a window that has just been shown is
    // not left blank meanwhile.
    if (visible) {
      ::RedrawWindow(native->hwnd, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      ::GdiFlush();
    }
  }
}

}  // namespace platform::win32
