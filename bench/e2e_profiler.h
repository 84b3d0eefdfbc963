// `perf record` attached to the program for the part of a benchmark worth
// looking into, when the environment asks for it:
//   PICDOCK_BENCH_PERF=/tmp/hover.data bench_e2e_hover
// then `perf report -i /tmp/hover.data`. Attaching while the program runs
// lets perf read the build ids of the program's copy before the harness
// removes it, so the report has its symbols. Samples are stamped with
// CLOCK_MONOTONIC, the clock of std::chrono::steady_clock, so that a
// benchmark can say which stretch of the recording belongs to what.
#pragma once

#include <sys/types.h>

#include <string>

namespace e2ebench {

class Profiler {
 public:
  // Starts perf on `pid` when PICDOCK_BENCH_PERF names an output file;
  // otherwise does nothing.
  explicit Profiler(pid_t pid);
  // Stops perf and waits until it has written its file.
  ~Profiler();
  bool Recording() const { return perf_ > 0; }
  // The output file; "" when not recording.
  const std::string& Output() const { return output_; }
  Profiler(const Profiler&) = delete;
  Profiler& operator=(const Profiler&) = delete;

 private:
  pid_t perf_ = -1;
  std::string output_;
};

}  // namespace e2ebench
