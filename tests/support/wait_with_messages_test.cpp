#include "support/wait_with_messages.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/posix/thread_queue.h"
#include "platform/system.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(WaitDueTime, FormsRelativeDueTimesFromTheUnitTable) {
  struct {
    std::int64_t count;
    std::int32_t unit;
    std::int64_t due;
  } const cases[] = {
      {100, 0, -1'000'000},             // 100 ms
      {2, 1, -20'000'000},              // 2 s
      {1, 2, -600'000'000},             // 1 min
      {1, 3, -36'000'000'000},          // 1 h
      {3, 7, -210'000},                 // any other code: that many ms per count
      {2, 1000, -20'000'000},
      {0, 0, 0},
      {-5, 0, 50'000},                  // a moment already past
      {1, -1, 10'000},
      {1'000'000'000'000, 0, -10'000'000'000'000'000},
      {INT64_MAX, 3, INT64_MIN},        // beyond int64: its nearest end
      {INT64_MIN, 3, INT64_MAX},
      {922'337'203'685'477, 0, -9'223'372'036'854'769'664},  // rounded as a double
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WaitDueTime(c.count, c.unit), c.due) << c.count << " units of " << c.unit;
  }
}

double ThreadCpuMilliseconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct Dispatch {
  std::atomic<bool> ran{false};
  Clock::time_point when;
  platform::ThreadId thread = 0;
};

void RecordDispatch(void* record) {
  auto* dispatch = static_cast<Dispatch*>(record);
  dispatch->when = Clock::now();
  dispatch->thread = platform::CurrentThreadId();
  dispatch->ran = true;
}

TEST(WaitWithMessages, WaitsTheWholeTime) {
  auto start = Clock::now();
  WaitWithMessages(100, 0);
  auto waited = Clock::now() - start;
  EXPECT_GE(waited, milliseconds(100));
  EXPECT_LT(waited, milliseconds(10'000));
}

// The message is posted from another thread while the wait runs: it is
// dispatched on the waiting thread, long before the second is over.
TEST(WaitWithMessages, DispatchesAMessageTheMomentItArrives) {
  Dispatch dispatch;
  platform::ThreadId waiter = platform::CurrentThreadId();
  std::thread poster([&] {
    std::this_thread::sleep_for(milliseconds(20));
    platform::PostToThread(waiter, RecordDispatch, &dispatch);
  });
  auto start = Clock::now();
  WaitWithMessages(1, 1);
  auto end = Clock::now();
  poster.join();

  ASSERT_TRUE(dispatch.ran);
  EXPECT_EQ(dispatch.thread, waiter);
  EXPECT_GE(end - start, milliseconds(1000));
  EXPECT_LT(dispatch.when - start, milliseconds(600)) << "dispatched late, not as it arrived";
}

TEST(WaitWithMessages, NothingToWaitForDispatchesNothing) {
  for (auto [count, unit] : {std::pair<std::int64_t, int>{0, 0}, {-3, 1}, {INT64_MIN, 3}}) {
    Dispatch dispatch;
    platform::PostToThread(platform::CurrentThreadId(), RecordDispatch, &dispatch);
    auto start = Clock::now();
    WaitWithMessages(count, unit);
    EXPECT_LT(Clock::now() - start, milliseconds(1000)) << count;
    EXPECT_FALSE(dispatch.ran) << count;
    platform::ProcessPendingEvents();
    EXPECT_TRUE(dispatch.ran) << count;
  }
}

// A quit request stays queued for the event loop and neither ends the wait
// nor keeps waking it: the thread sleeps through.
TEST(WaitWithMessages, LeavesAQuitRequestQueued) {
  platform::posix::PostQuit(platform::CurrentThreadId());
  double cpuBefore = ThreadCpuMilliseconds();
  auto start = Clock::now();
  WaitWithMessages(200, 0);
  EXPECT_GE(Clock::now() - start, milliseconds(200));
  EXPECT_LT(ThreadCpuMilliseconds() - cpuBefore, 100.0) << "the wait spun on the quit request";
  EXPECT_TRUE(platform::posix::QuitRequested());
  platform::posix::TakeQuit();
}

// With every descriptor in use no timer can be made; the wait must still
// take its time and dispatch, not spin or return at once.
TEST(WaitWithMessages, WithoutATimerStillWaitsAndDispatches) {
  platform::ProcessPendingEvents();  // the thread's queue exists before the limit
  Dispatch dispatch;
  platform::ThreadId waiter = platform::CurrentThreadId();
  // The poster starts and ends outside the limit: the sanitizers read /proc
  // when a thread starts and ends.
  std::atomic<bool> posterRunning{false};
  std::atomic<bool> limitLifted{false};
  std::thread poster([&] {
    posterRunning = true;
    std::this_thread::sleep_for(milliseconds(50));
    platform::PostToThread(waiter, RecordDispatch, &dispatch);
    while (!limitLifted) std::this_thread::sleep_for(milliseconds(1));
  });
  while (!posterRunning) std::this_thread::yield();
  int lowestFree = open("/dev/null", O_RDONLY);
  ASSERT_GE(lowestFree, 0);
  close(lowestFree);
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(lowestFree);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);

  bool timerRefused = platform::CreateWaitableTimerA() == platform::kNoTimer;
  double cpuBefore = ThreadCpuMilliseconds();
  auto start = Clock::now();
  WaitWithMessages(300, 0);
  auto end = Clock::now();
  double cpu = ThreadCpuMilliseconds() - cpuBefore;
  setrlimit(RLIMIT_NOFILE, &saved);
  limitLifted = true;
  poster.join();

  ASSERT_TRUE(timerRefused) << "the descriptor limit did not take";
  EXPECT_GE(end - start, milliseconds(300));
  ASSERT_TRUE(dispatch.ran);
  EXPECT_LT(dispatch.when, end);
  EXPECT_LT(cpu, 150.0) << "the fallback spun";
}

}  // namespace
