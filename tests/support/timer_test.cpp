// The POSIX one-shot timer and the message-aware waits under
// WaitWithMessages.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

#include "platform/system.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

void Nothing(void*) {}

void PostToSelf() { platform::PostToThread(platform::CurrentThreadId(), Nothing, nullptr); }

// Handlers that earlier tests dispatched can leave one wake-up behind; a
// wait may report it as input once. These tests count exact results.
void DrainWakes() {
  while (platform::WaitForMessagesOrTimeout(0)) platform::ProcessPendingEvents();
}

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(timer, platform::kNoTimer);
    DrainWakes();
  }
  void TearDown() override {
    platform::CloseHandle(timer);
    platform::ProcessPendingEvents();
  }
  platform::TimerHandle timer = platform::CreateWaitableTimerA();
};

TEST_F(TimerTest, RelativeDueTimeFiresOnceAfterItsTime) {
  auto start = Clock::now();
  ASSERT_TRUE(platform::SetWaitableTimer(timer, -200'000));  // 20 ms
  EXPECT_EQ(platform::MsgWaitForTimer(timer), 0u);
  EXPECT_GE(Clock::now() - start, milliseconds(20));
  // Taking the expiry resets the timer: the next wait is for input.
  PostToSelf();
  EXPECT_EQ(platform::MsgWaitForTimer(timer), 1u);
}

// A due time of 0 or above lies in the past. The timer wins over a message
// already waiting, as the first object of a wait does on Windows.
TEST_F(TimerTest, DueTimeInThePastFiresAtOnceBeforeInput) {
  for (std::int64_t due : {std::int64_t{0}, std::int64_t{50'000}, INT64_MAX}) {
    PostToSelf();
    ASSERT_TRUE(platform::SetWaitableTimer(timer, due)) << due;
    EXPECT_EQ(platform::MsgWaitForTimer(timer), 0u) << due;
    platform::ProcessPendingEvents();
  }
}

TEST_F(TimerTest, InputEndsTheWaitBeforeAFarDueTime) {
  for (std::int64_t due : {std::int64_t{-36'000'000'000}, INT64_MIN}) {
    ASSERT_TRUE(platform::SetWaitableTimer(timer, due)) << due;
    PostToSelf();
    EXPECT_EQ(platform::MsgWaitForTimer(timer), 1u) << due;
    platform::ProcessPendingEvents();
  }
}

TEST(Timer, NoTimerOrAClosedOneIsRefused) {
  EXPECT_FALSE(platform::SetWaitableTimer(platform::kNoTimer, -1));
  std::uint32_t woke = platform::MsgWaitForTimer(platform::kNoTimer);
  EXPECT_NE(woke, 0u);
  EXPECT_NE(woke, 1u);
  platform::CloseHandle(platform::kNoTimer);

  // A closed descriptor polls as ready for ever; the wait must say it failed.
  // The thread's queue is made first, or its descriptor would take the
  // closed one's number.
  DrainWakes();
  platform::TimerHandle closed = platform::CreateWaitableTimerA();
  ASSERT_TRUE(platform::SetWaitableTimer(closed, -10'000'000));
  platform::CloseHandle(closed);
  woke = platform::MsgWaitForTimer(closed);
  EXPECT_NE(woke, 0u);
  EXPECT_NE(woke, 1u);
}

TEST(Timer, TimedWaitEndsOnTimeOrOnAMessage) {
  DrainWakes();
  auto start = Clock::now();
  EXPECT_FALSE(platform::WaitForMessagesOrTimeout(30));
  EXPECT_GE(Clock::now() - start, milliseconds(30));

  PostToSelf();
  EXPECT_TRUE(platform::WaitForMessagesOrTimeout(10'000));
  platform::ProcessPendingEvents();
}

}  // namespace
