#include "support/wait_with_messages.h"

#include <algorithm>
#include <chrono>
#include <climits>

#include "platform/system.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsPerCount(std::int32_t unit) {
  switch (unit) {
    case 0: return 1;
    case 1: return 1000;
    case 2: return 60000;
    case 3: return 3600000;
    default: return unit;
  }
}

// When the wait ends by the clock. Anything beyond a century is cut there so
// that the deadline stays representable; due >= 0 is a moment already past.
Clock::time_point DeadlineOf(std::int64_t due) {
  constexpr std::int64_t kCentury100ns = 100LL * 36525 * 24 * 3600 * 10'000'000;
  std::int64_t length100ns = due >= 0 ? 0 : due < -kCentury100ns ? kCentury100ns : -due;
  return Clock::now() + std::chrono::nanoseconds(length100ns * 100);
}

// Without a working timer the wait still blocks and still dispatches, on
// plain timed waits for what is left of the time.
void WaitWithoutTimer(Clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return;
    int slice = static_cast<int>(std::min<std::int64_t>(left, INT_MAX));
    if (platform::WaitForMessagesOrTimeout(slice)) platform::ProcessPendingEvents();
  }
}

}  // namespace

std::int64_t WaitDueTime(std::int64_t count, std::int32_t unit) {
  double due = static_cast<double>(count) * MillisecondsPerCount(unit) * -10000.0;
  // 2^63 is exact in double; converting a value outside [-2^63, 2^63) to
  // int64 would be undefined behaviour.
  constexpr double kLimit = 9223372036854775808.0;
  if (due >= kLimit) return INT64_MAX;
  if (due < -kLimit) return INT64_MIN;
  return static_cast<std::int64_t>(due);
}

void WaitWithMessages(std::int64_t count, std::int32_t unit) {
  std::int64_t due = WaitDueTime(count, unit);
  Clock::time_point deadline = DeadlineOf(due);
  platform::TimerHandle timer = platform::CreateWaitableTimerA();
  if (timer == platform::kNoTimer || !platform::SetWaitableTimer(timer, due)) {
    if (timer != platform::kNoTimer) platform::CloseHandle(timer);
    WaitWithoutTimer(deadline);
    return;
  }
  for (;;) {
    std::uint32_t woke = platform::MsgWaitForTimer(timer);
    if (woke == 0) break;
    if (woke != 1) {
      // A wait that failed once fails again at once; looping on it would
      // spin. The rest of the time passes on timed waits.
      platform::CloseHandle(timer);
      WaitWithoutTimer(deadline);
      return;
    }
    platform::ProcessPendingEvents();
  }
  platform::CloseHandle(timer);
}
