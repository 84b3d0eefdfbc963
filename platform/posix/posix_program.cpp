#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/posix/program.h"
#include "platform/posix/thread_queue.h"
#include "platform/toolkit.h"
#include "platform/window_model.h"

namespace platform {
namespace {

std::vector<void (*)()> exitRoutines;  // UI thread only

struct ProgramThreads {
  std::mutex mutex;
  std::vector<std::thread> threads;
  std::vector<ThreadId> ids;
  std::atomic<int> running{0};
  std::atomic<bool> stopRequested{false};
};

// Never destroyed: a thread may still be ending while the process exits.
ProgramThreads& Threads() {
  static auto* threads = new ProgramThreads;
  return *threads;
}

}  // namespace

void AddExitRoutine(void (*routine)()) {
  if (std::find(exitRoutines.begin(), exitRoutines.end(), routine) == exitRoutines.end())
    exitRoutines.push_back(routine);
}

void StartThread(void (*routine)()) {
  ProgramThreads& threads = Threads();
  if (threads.stopRequested) return;
  ThreadId ui = posix::UiThread();
  std::lock_guard lock(threads.mutex);
  threads.running++;
  threads.threads.emplace_back([routine, ui, &threads] {
    {
      std::lock_guard lock(threads.mutex);
      threads.ids.push_back(CurrentThreadId());
    }
    routine();
    threads.running--;
    // Wakes the UI thread if it waits for this one to stop.
    posix::Post(ui, [] {});
  });
}

bool ThreadShouldRun() { return !Threads().stopRequested; }

void StopProgramThreads() {
  ProgramThreads& threads = Threads();
  threads.stopRequested = true;
  {
    std::lock_guard lock(threads.mutex);
    for (ThreadId id : threads.ids) posix::Post(id, [] {});
  }
  // A thread may be blocked in a window write that this thread must carry
  // out: serve sent calls while waiting, never posted handlers, so no event
  // handler of the program runs again from here.
  while (threads.running > 0) {
    posix::ServeSentCalls();
    posix::WaitForInput(20);
  }
  std::lock_guard lock(threads.mutex);
  for (auto& thread : threads.threads)
    if (thread.joinable()) thread.join();
  threads.threads.clear();
}

void ProcessPendingEvents() { posix::DispatchPending(); }

void RunEventLoop() {
  {
    std::lock_guard lock(ModelMutex());
    if (!AnyModelLoaded()) return;
  }
  for (;;) {
    posix::DispatchPending();
    if (posix::QuitRequested()) {
      posix::TakeQuit();
      return;
    }
    posix::WaitForInput(-1);
  }
}

namespace posix {

Text ExecutableFolder() {
  std::error_code error;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return ".";
  Text folder = exe.parent_path().string();
  return folder == "/" ? Text() : folder;
}

void RunExitSequence() {
  StopProgramThreads();
  for (auto routine : exitRoutines) routine();
  exitRoutines.clear();
}

void ResetProgramThreads() {
  StopProgramThreads();
  Threads().stopRequested = false;
}

void ReportFatal(const std::string& message) {
  std::fprintf(stderr, "picdock: fatal error: %s\n", message.c_str());
  std::fflush(stderr);
}

}  // namespace posix
}  // namespace platform
