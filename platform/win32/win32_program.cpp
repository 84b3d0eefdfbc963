// The program's life on Win32: the exit-routine list, the program's threads,
// the event loop, and the two ends (EndProgram and FatalError).
#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "platform/binder.h"
#include "platform/toolkit.h"
#include "platform/win32/win32_gdiplus.h"
#include "platform/win32/win32_toolkit.h"
#include "platform/window_model.h"

namespace platform {

namespace {

std::vector<void (*)()> gExitRoutines;  // UI thread only

// A thread still running at the end sequence is given this long to notice
// ThreadShouldRun() and return; the process ends after that either way.
constexpr DWORD kStopPatienceMs = 5000;

struct ProgramThreads {
  std::mutex mutex;
  std::vector<HANDLE> handles;
  std::atomic<bool> stopRequested{false};
};

// Never destroyed: a thread may still be ending while the process exits.
ProgramThreads& Threads() {
  static auto* threads = new ProgramThreads;
  return *threads;
}

DWORD WINAPI ThreadEntry(void* routine) {
  reinterpret_cast<void (*)()>(routine)();
  return 0;
}

// Waits for one thread while serving the calls it may be blocked in: sent
// messages only, so no event handler of the program runs from here.
void WaitServingSentCalls(HANDLE thread, DWORD deadline) {
  for (;;) {
    DWORD now = ::GetTickCount();
    DWORD left = static_cast<LONG>(deadline - now) > 0 ? deadline - now : 0;
    DWORD woke = ::MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
    if (woke != WAIT_OBJECT_0 + 1) return;  // ended, timed out or failed
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

void AddExitRoutine(void (*routine)()) {
  if (std::find(gExitRoutines.begin(), gExitRoutines.end(), routine) == gExitRoutines.end()) {
    gExitRoutines.push_back(routine);
  }
}

void StartThread(void (*routine)()) {
  ProgramThreads& threads = Threads();
  if (threads.stopRequested) return;
  HANDLE thread = ::CreateThread(nullptr, 0, ThreadEntry, reinterpret_cast<void*>(routine), 0,
                                 nullptr);
  if (thread == nullptr) return;  // the caller does not look at the start's success
  std::lock_guard lock(threads.mutex);
  threads.handles.push_back(thread);
}

bool ThreadShouldRun() { return !Threads().stopRequested; }

void StopProgramThreads() {
  ProgramThreads& threads = Threads();
  threads.stopRequested = true;
  std::vector<HANDLE> handles;
  {
    std::lock_guard lock(threads.mutex);
    handles.swap(threads.handles);
  }
  DWORD deadline = ::GetTickCount() + kStopPatienceMs;
  DWORD self = ::GetCurrentThreadId();
  for (HANDLE thread : handles) {
    if (::GetThreadId(thread) != self) WaitServingSentCalls(thread, deadline);
    ::CloseHandle(thread);
  }
}

void ProcessPendingEvents() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Left for the event loop, which ends on it.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    win32::DispatchOne(message);
  }
}

void RunEventLoop() {
  {
    std::lock_guard lock(ModelMutex());
    if (!AnyModelLoaded()) return;
  }
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) win32::DispatchOne(message);
}

[[noreturn]] void EndProgram(int exitCode) {
  StopProgramThreads();
  std::vector<void (*)()> routines;
  routines.swap(gExitRoutines);
  for (auto routine : routines) routine();
  win32::ReleaseToolkit();
  win32::gdiplus::Release();
  ReleaseBoundLibraries();
  ::ExitProcess(static_cast<UINT>(exitCode));
}

[[noreturn]] void FatalError(const std::string& message) {
  static std::atomic<DWORD> reporter{0};
  DWORD self = ::GetCurrentThreadId();
  DWORD none = 0;
  if (!reporter.compare_exchange_strong(none, self)) {
    // A second fatal error inside the first one's message box ends at once;
    // on another thread it waits for the first, which ends the process.
    if (none == self) ::ExitProcess(static_cast<UINT>(-1));
    for (;;) ::Sleep(INFINITE);
  }
  win32::SetEnding();
  win32::ShowFatalMessage(message);
  ::ExitProcess(static_cast<UINT>(-1));
}

}  // namespace platform
