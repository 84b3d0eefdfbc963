// What the kernel tells about a running process and its threads: processor
// time, wake-ups and memory, read from /proc.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace e2ebench {

struct ThreadTimes {
  pid_t tid = 0;
  std::string name;     // comm
  double cpuMs = 0;     // utime + stime, at the clock tick's resolution
  double runMs = 0;     // time on a processor from schedstat, to the nanosecond
  double queuedMs = 0;  // time ready to run but waiting for a processor (schedstat)
  long wakeups = 0;     // voluntary context switches: the thread blocked and woke
  long preempted = 0;   // involuntary context switches
};

// Every thread of the process; empty once it has gone.
std::vector<ThreadTimes> ReadThreadTimes(pid_t pid);
// The whole process, ended threads included (utime + stime of
// /proc/<pid>/stat, and the sum of the live threads' schedstat).
std::optional<ThreadTimes> ReadProcessTimes(pid_t pid);

struct Memory {
  long peakKb = 0;  // VmHWM
  long rssKb = 0;   // VmRSS
};
std::optional<Memory> ReadMemory(pid_t pid);
// Starts VmHWM afresh from the current RSS (clear_refs 5), so that the next
// reading is the peak of what happened in between; false when the kernel
// refuses.
bool ResetPeakMemory(pid_t pid);

// Children of `parent` whose comm is `name` (the X server the harness
// started, for instance).
std::vector<pid_t> ChildrenNamed(pid_t parent, const std::string& name);

}  // namespace e2ebench
