// What picdock costs the machine while nobody uses it: the processor time of
// each of its threads (and of the X server, which answers the watcher's
// pointer queries), with the pointer resting outside the panel (tucked) and
// on the strip (shown), over a window of --seconds each.
//
// cpu ms/s comes from utime + stime (clock ticks, 10 ms each, so figures
// below 1 ms/s read as 0 or 1 tick); run ms/s from schedstat, to the
// nanosecond. Wake-ups are voluntary context switches: the watcher should
// wake about 10 times a second, once per 100 ms pass.
//
//   bench_e2e_idle_cpu [--seconds=10]
#include <unistd.h>

#include <cstdio>
#include <map>
#include <thread>

#include "bench/e2e_figures.h"
#include "bench/e2e_process_stats.h"
#include "bench/e2e_session.h"

namespace {

using namespace e2ebench;

constexpr int kTuckedLeft = 3 - 100;

struct Snapshot {
  Clock::time_point at;
  std::map<pid_t, ThreadTimes> threads;  // picdock's, by thread id
  std::optional<ThreadTimes> process, server;
};

Snapshot Take(pid_t program, pid_t server) {
  Snapshot snapshot;
  snapshot.at = Clock::now();
  for (const ThreadTimes& thread : ReadThreadTimes(program)) snapshot.threads[thread.tid] = thread;
  snapshot.process = ReadProcessTimes(program);
  if (server > 0) snapshot.server = ReadProcessTimes(server);
  return snapshot;
}

std::string ThreadLabel(pid_t program, pid_t tid, const Snapshot& snapshot) {
  if (tid == program) return "picdock UI thread";
  return snapshot.threads.size() == 2 ? "picdock watcher thread"
                                      : "picdock thread " + std::to_string(tid);
}

void AddRow(Table& table, const std::string& phase, const std::string& who,
            const ThreadTimes& before, const ThreadTimes& after, double seconds) {
  table.Row({phase, who, Fixed((after.cpuMs - before.cpuMs) / seconds, 2),
             Fixed((after.runMs - before.runMs) / seconds, 3),
             Fixed(static_cast<double>(after.wakeups - before.wakeups) / seconds, 1),
             Fixed(static_cast<double>(after.preempted - before.preempted) / seconds, 1)});
}

void Measure(Table& table, const std::string& phase, pid_t program, pid_t server, int seconds) {
  // Lets the move that brought the panel here and its repaint pass.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const Snapshot before = Take(program, server);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const Snapshot after = Take(program, server);
  const double elapsed = std::chrono::duration<double>(after.at - before.at).count();
  for (const auto& [tid, times] : after.threads) {
    auto found = before.threads.find(tid);
    if (found != before.threads.end())
      AddRow(table, phase, ThreadLabel(program, tid, after), found->second, times, elapsed);
  }
  if (before.process && after.process)
    AddRow(table, phase, "picdock process", *before.process, *after.process, elapsed);
  if (before.server && after.server)
    AddRow(table, phase, "Xvfb", *before.server, *after.server, elapsed);
}

int Run(int argc, char** argv) {
  const int seconds = IntArgument(argc, argv, "--seconds", 10);
  ProgramSession session(e2e::NumberedPictures(5));
  const pid_t program = session.Pid();
  const auto servers = ChildrenNamed(getpid(), "Xvfb");
  const pid_t server = servers.size() == 1 ? servers[0] : 0;

  Table table({"pointer", "who", "cpu ms/s", "run ms/s", "wake-ups/s", "preempted/s"});
  session.PointerTo(600, session.MiddleY(), kTuckedLeft);
  Measure(table, "outside (tucked)", program, server, seconds);
  session.PointerTo(1, session.Panel().rect.top + 5, 0);
  Measure(table, "on the strip (shown)", program, server, seconds);

  std::printf("idle processor time: picdock on Xvfb %dx%d, 5 pictures, %d s per row\n\n",
              session.Server().Width(), session.Server().Height(), seconds);
  table.Print();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return e2ebench::RunBenchmark([&] { return Run(argc, argv); });
}
