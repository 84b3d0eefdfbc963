// How soon the edge-docking watcher acts on the pointer: picdock on a
// 1920 x 1080 virtual screen with five pictures, the pointer moved through
// XTest, and the panel's geometry read back from the server every quarter
// millisecond until it stands where it should.
//
//   tuck: pointer moved out of the panel -> the panel at left -97
//   show: pointer moved onto the strip (x = 1) -> the panel at left 0
//
// The watcher looks once every 100 ms, so a reaction lies anywhere between
// the cost of the window operations and one pass plus that cost. Each move
// waits a random 0..100 ms first, so that the moves fall on every phase of
// the watcher's pass rather than locking onto one.
//
//   bench_e2e_watcher_reaction [--repetitions=60] [--poll-us=250]
#include <cstdio>
#include <random>
#include <thread>

#include "bench/e2e_figures.h"
#include "bench/e2e_session.h"

namespace {

using namespace e2ebench;

constexpr int kTuckedLeft = 3 - 100;

// The round trip of one look at the panel's geometry: the resolution of the
// reaction times below, together with the sleep between looks.
double LookMicroseconds(ScreenProbe& probe, unsigned long window) {
  constexpr int kLooks = 500;
  const auto start = Clock::now();
  for (int i = 0; i < kLooks; ++i) probe.Geometry(window);
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kLooks;
}

int Run(int argc, char** argv) {
  const int repetitions = IntArgument(argc, argv, "--repetitions", 60);
  const PollOptions poll{std::chrono::microseconds(IntArgument(argc, argv, "--poll-us", 250)),
                         std::chrono::milliseconds(5000)};

  ProgramSession session(e2e::NumberedPictures(5));
  ScreenProbe& probe = session.Probe();
  const unsigned long panel = session.Panel().id;
  const int panelTop = session.Panel().rect.top;

  std::minstd_rand random(20240601);
  std::uniform_int_distribution<int> phaseMs(0, 100);
  std::vector<double> tuck, show;
  int missed = 0;
  auto measure = [&](int x, int y, int left, std::vector<double>& into) {
    std::this_thread::sleep_for(std::chrono::milliseconds(phaseMs(random)));
    const auto start = Clock::now();
    probe.MovePointer(x, y);
    auto took = MillisecondsUntil(
        start,
        [&] {
          auto rect = probe.Geometry(panel);
          return rect && rect->left == left;
        },
        poll);
    if (took)
      into.push_back(*took);
    else
      ++missed;
    // A missed move leaves the panel where it was; put it where the next
    // move expects it.
    if (!took) session.PointerTo(x, y, left);
  };
  for (int i = 0; i < repetitions; ++i) {
    measure(600, session.MiddleY(), kTuckedLeft, tuck);
    measure(1, panelTop + 5, 0, show);
  }

  std::printf("watcher reaction: picdock on Xvfb %dx%d, 5 pictures, panel 100 x %d at top %d\n",
              session.Server().Width(), session.Server().Height(), session.Panel().rect.height,
              panelTop);
  std::printf("geometry looked at every %lld us; one look takes %.0f us\n\n",
              static_cast<long long>(poll.interval.count()), LookMicroseconds(probe, panel));
  Table table({"move (ms from XTest motion)", "n", "min", "median", "p90", "max"});
  auto row = [&](const char* name, const std::vector<double>& samples) {
    std::vector<std::string> cells{name, std::to_string(samples.size())};
    for (auto& cell : SpreadCells(SpreadOf(samples))) cells.push_back(cell);
    table.Row(cells);
  };
  row("tuck: pointer out -> left -97", tuck);
  row("show: strip x=1 -> left 0", show);
  table.Print();
  if (missed)
    std::printf("\n%d moves got no reaction within %lld ms\n", missed,
                static_cast<long long>(poll.timeout.count()));
  return missed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  return e2ebench::RunBenchmark([&] { return Run(argc, argv); });
}
