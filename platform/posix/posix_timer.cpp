// One-shot timers on timerfd, and the waits that also watch the calling
// thread's message queue.
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

#include "platform/posix/thread_queue.h"
#include "platform/system.h"

namespace platform {

namespace {

constexpr std::int64_t k100nsPerSecond = 10'000'000;

// Handles are the descriptor plus one, so that descriptor 0 is a timer too
// and kNoTimer stays free.
int DescriptorOf(TimerHandle timer) { return static_cast<int>(timer - 1); }

enum class Expiry { Fired, NotYet, Broken };

// Reading resets the timer: the auto-reset of the timers these stand for.
Expiry TakeExpiry(int fd) {
  std::uint64_t expiries = 0;
  ssize_t got;
  do {
    got = read(fd, &expiries, sizeof expiries);
  } while (got < 0 && errno == EINTR);
  if (got == static_cast<ssize_t>(sizeof expiries)) return Expiry::Fired;
  return got < 0 && errno == EAGAIN ? Expiry::NotYet : Expiry::Broken;
}

constexpr std::uint32_t kWaitFailed = 0xFFFFFFFF;

}  // namespace

TimerHandle CreateWaitableTimerA() {
  int fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  return fd < 0 ? kNoTimer : static_cast<TimerHandle>(fd) + 1;
}

bool SetWaitableTimer(TimerHandle timer, std::int64_t due) {
  if (timer == kNoTimer) return false;
  itimerspec when{};
  int flags = 0;
  if (due < 0) {
    // -due overflows for the smallest due; one unit less is the same wait.
    std::int64_t length = due == INT64_MIN ? INT64_MAX : -due;
    when.it_value.tv_sec = static_cast<time_t>(length / k100nsPerSecond);
    when.it_value.tv_nsec = static_cast<long>(length % k100nsPerSecond * 100);
  } else {
    // A due time of 0 or above is a moment long past: fire now. An all-zero
    // itimerspec would disarm the timer instead, so aim at the clock's first
    // nanosecond.
    flags = TFD_TIMER_ABSTIME;
    when.it_value.tv_nsec = 1;
  }
  return timerfd_settime(DescriptorOf(timer), flags, &when, nullptr) == 0;
}

std::uint32_t MsgWaitForTimer(TimerHandle timer) {
  if (timer == kNoTimer) return kWaitFailed;
  int fd = DescriptorOf(timer);
  int woke = posix::WaitForInput(-1, fd);
  // The timer comes first when both are ready, as the first object of a
  // wait does on Windows; a due time already past then dispatches nothing.
  // A descriptor that can't be read would report itself ready forever: the
  // wait has failed.
  switch (TakeExpiry(fd)) {
    case Expiry::Fired: return 0;
    case Expiry::Broken: return kWaitFailed;
    case Expiry::NotYet: return woke == 1 || woke == 2 ? 1 : kWaitFailed;
  }
  return kWaitFailed;
}

void CloseHandle(TimerHandle timer) {
  if (timer != kNoTimer) close(DescriptorOf(timer));
}

bool WaitForMessagesOrTimeout(int milliseconds) {
  return posix::WaitForInput(milliseconds < 0 ? 0 : milliseconds) == 1;
}

}  // namespace platform
