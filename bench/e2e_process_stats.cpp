#include "bench/e2e_process_stats.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace e2ebench {

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

double MsPerTick() { return 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK)); }

// The fields of a stat line after "(comm)", numbered as proc(5) numbers them:
// fields[0] is field 3, the state. A comm may hold spaces and parentheses,
// so the line is cut at the last ')'.
bool ParseStat(const std::string& line, std::string* comm, std::vector<std::string>* fields) {
  const auto open = line.find('(');
  const auto close = line.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return false;
  *comm = line.substr(open + 1, close - open - 1);
  std::istringstream rest(line.substr(close + 1));
  fields->clear();
  for (std::string field; rest >> field;) fields->push_back(field);
  return fields->size() > 13;
}

// utime and stime are fields 14 and 15.
double StatCpuMs(const std::vector<std::string>& fields) {
  return (std::stod(fields[11]) + std::stod(fields[12])) * MsPerTick();
}

long StatusValue(const std::string& status, const std::string& key) {
  std::istringstream lines(status);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1));
  }
  return 0;
}

std::optional<ThreadTimes> ReadThread(const fs::path& task) {
  std::string comm;
  std::vector<std::string> fields;
  if (!ParseStat(ReadAll(task / "stat"), &comm, &fields)) return std::nullopt;
  ThreadTimes times;
  times.tid = static_cast<pid_t>(std::stol(task.filename().string()));
  times.name = comm;
  times.cpuMs = StatCpuMs(fields);
  std::istringstream schedstat(ReadAll(task / "schedstat"));
  double runNs = 0, queuedNs = 0;
  if (schedstat >> runNs >> queuedNs) {
    times.runMs = runNs / 1e6;
    times.queuedMs = queuedNs / 1e6;
  }
  const std::string status = ReadAll(task / "status");
  times.wakeups = StatusValue(status, "voluntary_ctxt_switches");
  times.preempted = StatusValue(status, "nonvoluntary_ctxt_switches");
  return times;
}

}  // namespace

std::vector<ThreadTimes> ReadThreadTimes(pid_t pid) {
  std::vector<ThreadTimes> threads;
  std::error_code error;
  for (const auto& entry :
       fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
    if (auto times = ReadThread(entry.path())) threads.push_back(*times);
  }
  return threads;
}

std::optional<ThreadTimes> ReadProcessTimes(pid_t pid) {
  const fs::path folder = "/proc/" + std::to_string(pid);
  std::string comm;
  std::vector<std::string> fields;
  if (!ParseStat(ReadAll(folder / "stat"), &comm, &fields)) return std::nullopt;
  ThreadTimes times;
  times.tid = pid;
  times.name = comm;
  times.cpuMs = StatCpuMs(fields);
  for (const ThreadTimes& thread : ReadThreadTimes(pid)) {
    times.runMs += thread.runMs;
    times.queuedMs += thread.queuedMs;
    times.wakeups += thread.wakeups;
    times.preempted += thread.preempted;
  }
  return times;
}

std::optional<Memory> ReadMemory(pid_t pid) {
  const std::string status = ReadAll("/proc/" + std::to_string(pid) + "/status");
  if (status.empty()) return std::nullopt;
  return Memory{StatusValue(status, "VmHWM"), StatusValue(status, "VmRSS")};
}

bool ResetPeakMemory(pid_t pid) {
  std::ofstream out("/proc/" + std::to_string(pid) + "/clear_refs");
  out << "5";
  out.flush();
  return static_cast<bool>(out);
}

std::vector<pid_t> ChildrenNamed(pid_t parent, const std::string& name) {
  std::vector<pid_t> children;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    const std::string id = entry.path().filename().string();
    if (id.empty() || id.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string comm;
    std::vector<std::string> fields;
    if (!ParseStat(ReadAll(entry.path() / "stat"), &comm, &fields)) continue;
    if (comm == name && std::stol(fields[1]) == parent) children.push_back(std::stoi(id));
  }
  return children;
}

}  // namespace e2ebench
