// A wait of 100 ms must block its thread: the processor time that the thread
// spends over the wait stays in microseconds. A message posted during the
// wait is dispatched as it arrives, not when the time is up.
#include <benchmark/benchmark.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/system.h"
#include "support/wait_with_messages.h"

namespace {

using Clock = std::chrono::steady_clock;

double ThreadCpuMicroseconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

void BM_Wait100ms(benchmark::State& state) {
  double cpu = 0;
  for (auto _ : state) {
    double before = ThreadCpuMicroseconds();
    WaitWithMessages(100, 0);
    cpu += ThreadCpuMicroseconds() - before;
  }
  state.counters["thread_cpu_us_per_wait"] = benchmark::Counter(cpu / state.iterations());
}
BENCHMARK(BM_Wait100ms)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

struct Posted {
  Clock::time_point sent;
  std::atomic<double> latencyUs{-1};
};

void Received(void* argument) {
  auto* posted = static_cast<Posted*>(argument);
  posted->latencyUs = std::chrono::duration<double, std::micro>(Clock::now() - posted->sent).count();
}

// A second thread posts 30 ms into each wait.
void BM_Wait100msWithAMessage(benchmark::State& state) {
  double cpu = 0;
  double latency = 0;
  double dispatchedBeforeEnd = 0;
  platform::ThreadId waiter = platform::CurrentThreadId();
  for (auto _ : state) {
    Posted posted;
    std::thread poster([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      posted.sent = Clock::now();
      platform::PostToThread(waiter, Received, &posted);
    });
    double before = ThreadCpuMicroseconds();
    WaitWithMessages(100, 0);
    cpu += ThreadCpuMicroseconds() - before;
    if (posted.latencyUs >= 0) {
      latency += posted.latencyUs;
      dispatchedBeforeEnd += 1;
    }
    poster.join();
    platform::ProcessPendingEvents();
  }
  state.counters["thread_cpu_us_per_wait"] = benchmark::Counter(cpu / state.iterations());
  state.counters["dispatch_latency_us"] =
      benchmark::Counter(dispatchedBeforeEnd > 0 ? latency / dispatchedBeforeEnd : -1);
  state.counters["dispatched_in_wait"] = benchmark::Counter(dispatchedBeforeEnd / state.iterations());
}
BENCHMARK(BM_Wait100msWithAMessage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
