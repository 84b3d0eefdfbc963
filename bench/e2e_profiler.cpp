#include "bench/e2e_profiler.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace e2ebench {

Profiler::Profiler(pid_t pid) {
  const char* output = std::getenv("PICDOCK_BENCH_PERF");
  if (!output || !*output) return;
  const std::string target = std::to_string(pid);
  perf_ = fork();
  if (perf_ == 0) {
    // Call graphs from DWARF: a Release build keeps no frame pointers.
    execlp("perf", "perf", "record", "-q", "-k", "CLOCK_MONOTONIC", "-F", "1999", "--call-graph",
           "dwarf,16384", "-p", target.c_str(), "-o", output, static_cast<char*>(nullptr));
    std::perror("exec perf");
    _exit(127);
  }
  if (perf_ < 0) {
    std::perror("fork");
    return;
  }
  output_ = output;
  // perf needs a moment to attach before the part worth recording begins.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  std::fprintf(stderr, "perf records picdock (pid %d) into %s\n", pid, output);
}

Profiler::~Profiler() {
  if (perf_ <= 0) return;
  kill(perf_, SIGINT);
  waitpid(perf_, nullptr, 0);
}

}  // namespace e2ebench
