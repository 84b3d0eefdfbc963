// One-shot waitable timers and the message-aware wait, through the bound
// kernel32 and user32 functions.
#include "platform/system.h"
#include "platform/win32/win32_bound_functions.h"

namespace platform {

namespace {
// Keyboard, mouse move, mouse button, posted message, timer, paint, sent
// message and hot-key input: every kind of message wakes the wait.
constexpr DWORD kWakeMask = 0xFF;
}  // namespace

TimerHandle CreateWaitableTimerA() {
  HANDLE timer = win32::bound::CreateWaitableTimerA(nullptr, FALSE, nullptr);
  return reinterpret_cast<TimerHandle>(timer);
}

bool SetWaitableTimer(TimerHandle timer, std::int64_t due) {
  LARGE_INTEGER dueTime;
  dueTime.QuadPart = due;
  PTIMERAPCROUTINE noCompletion = nullptr;
  return win32::bound::SetWaitableTimer(reinterpret_cast<HANDLE>(timer), &dueTime, LONG{0},
                                        noCompletion, nullptr, FALSE) != FALSE;
}

std::uint32_t MsgWaitForTimer(TimerHandle timer) {
  HANDLE handle = reinterpret_cast<HANDLE>(timer);
  return win32::bound::MsgWaitForMultipleObjects(DWORD{1}, &handle, FALSE, DWORD{INFINITE},
                                                 kWakeMask);
}

void CloseHandle(TimerHandle timer) { win32::bound::CloseHandle(reinterpret_cast<HANDLE>(timer)); }

bool WaitForMessagesOrTimeout(int milliseconds) {
  const HANDLE* none = nullptr;
  DWORD woke = win32::bound::MsgWaitForMultipleObjects(
      DWORD{0}, none, FALSE, static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds), kWakeMask);
  return woke == WAIT_OBJECT_0;
}

}  // namespace platform
