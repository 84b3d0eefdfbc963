#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "platform/posix/thread_queue.h"

namespace platform::posix {
namespace {

struct SentCall {
  std::function<void()> call;
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
};

struct Queue {
  std::mutex mutex;
  std::deque<std::shared_ptr<SentCall>> sent;
  std::deque<std::function<void()>> posted;
  bool quit = false;
  int eventFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  SystemEventSource source;
  // Handlers taken by PeekMessageA and not dispatched yet, by serial number.
  std::map<std::uintptr_t, std::function<void()>> taken;
  std::uintptr_t nextSerial = 1;

  ~Queue() {
    if (eventFd >= 0) close(eventFd);
  }
  void Wake() {
    std::uint64_t one = 1;
    [[maybe_unused]] auto written = write(eventFd, &one, sizeof one);
  }
};

std::mutex registryMutex;
// Queues outlive their threads only while a poster holds them.
std::map<ThreadId, std::shared_ptr<Queue>>& Registry() {
  static auto* registry = new std::map<ThreadId, std::shared_ptr<Queue>>;
  return *registry;
}

std::shared_ptr<Queue> QueueOf(ThreadId thread) {
  std::lock_guard lock(registryMutex);
  auto& slot = Registry()[thread];
  if (!slot) slot = std::make_shared<Queue>();
  return slot;
}

// Drops the thread's entry when it ends, so a new thread that gets the same
// system id starts with an empty queue.
struct CurrentQueue {
  std::shared_ptr<Queue> queue = QueueOf(CurrentThreadId());
  ~CurrentQueue() {
    std::lock_guard lock(registryMutex);
    Registry().erase(CurrentThreadId());
  }
};

Queue& Current() {
  thread_local CurrentQueue current;
  return *current.queue;
}

std::atomic<ThreadId> uiThread{0};

void Collect(Queue& queue) {
  if (queue.source.collect) queue.source.collect();
}

void RunSent(const std::shared_ptr<SentCall>& sent) {
  sent->call();
  std::lock_guard lock(sent->mutex);
  sent->finished = true;
  sent->done.notify_all();
}

}  // namespace

void Post(ThreadId thread, std::function<void()> handler) {
  auto queue = QueueOf(thread);
  {
    std::lock_guard lock(queue->mutex);
    queue->posted.push_back(std::move(handler));
  }
  queue->Wake();
}

void Send(ThreadId thread, std::function<void()> call) {
  if (thread == CurrentThreadId()) {
    call();
    return;
  }
  auto sent = std::make_shared<SentCall>();
  sent->call = std::move(call);
  auto queue = QueueOf(thread);
  {
    std::lock_guard lock(queue->mutex);
    queue->sent.push_back(sent);
  }
  queue->Wake();
  std::unique_lock lock(sent->mutex);
  sent->done.wait(lock, [&] { return sent->finished; });
}

void PostQuit(ThreadId thread) {
  auto queue = QueueOf(thread);
  {
    std::lock_guard lock(queue->mutex);
    queue->quit = true;
  }
  queue->Wake();
}

bool QuitRequested() {
  Queue& queue = Current();
  std::lock_guard lock(queue.mutex);
  return queue.quit;
}

void TakeQuit() {
  Queue& queue = Current();
  std::lock_guard lock(queue.mutex);
  queue.quit = false;
}

void SetUiThread(ThreadId thread) { uiThread = thread; }
ThreadId UiThread() { return uiThread; }
bool OnUiThread() { return uiThread == CurrentThreadId(); }

void SetSystemEventSource(SystemEventSource source) {
  Queue& queue = Current();
  std::lock_guard lock(queue.mutex);
  queue.source = source;
}

bool TakeNext(MessageRecord* record, bool remove) {
  Queue& queue = Current();
  Collect(queue);
  std::shared_ptr<SentCall> sent;
  {
    std::lock_guard lock(queue.mutex);
    *record = MessageRecord{};
    if (!queue.sent.empty()) {
      sent = queue.sent.front();
      queue.sent.pop_front();
    } else if (!queue.posted.empty()) {
      record->message = kPostedMessage;
      if (remove) {
        record->wParam = queue.nextSerial++;
        queue.taken.emplace(record->wParam, std::move(queue.posted.front()));
        queue.posted.pop_front();
      }
      return true;
    } else if (queue.quit) {
      record->message = kQuitMessage;
      if (remove) queue.quit = false;
      return true;
    } else {
      return false;
    }
  }
  // A sent call is served at once, as Windows serves sent messages inside
  // the peek; the next message is then looked at.
  RunSent(sent);
  return TakeNext(record, remove);
}

void Dispatch(const MessageRecord* record) {
  if (!record || record->message != kPostedMessage) return;
  Queue& queue = Current();
  std::function<void()> handler;
  {
    std::lock_guard lock(queue.mutex);
    auto found = queue.taken.find(record->wParam);
    if (found == queue.taken.end()) return;
    handler = std::move(found->second);
    queue.taken.erase(found);
  }
  handler();
}

void ServeSentCalls() {
  Queue& queue = Current();
  for (;;) {
    std::shared_ptr<SentCall> sent;
    {
      std::lock_guard lock(queue.mutex);
      if (queue.sent.empty()) return;
      sent = queue.sent.front();
      queue.sent.pop_front();
    }
    RunSent(sent);
  }
}

void DispatchPending() {
  Queue& queue = Current();
  Collect(queue);
  for (;;) {
    ServeSentCalls();
    std::function<void()> handler;
    {
      std::lock_guard lock(queue.mutex);
      if (queue.posted.empty()) return;
      handler = std::move(queue.posted.front());
      queue.posted.pop_front();
    }
    handler();
  }
}

int WaitForInput(int timeoutMs, int extraFd) {
  Queue& queue = Current();
  Collect(queue);
  ServeSentCalls();
  {
    std::lock_guard lock(queue.mutex);
    if (!queue.posted.empty()) return 1;
  }
  pollfd fds[4];
  int count = 0;
  int extraIndex = -1, sourceIndex = -1, timerIndex = -1;
  if (extraFd >= 0) {
    extraIndex = count;
    fds[count++] = {extraFd, POLLIN, 0};
  }
  fds[count++] = {queue.eventFd, POLLIN, 0};
  // Without its eventfd a queue can't be woken: look again now and then
  // rather than sleep for ever.
  if (queue.eventFd < 0 && (timeoutMs < 0 || timeoutMs > 10)) timeoutMs = 10;
  if (queue.source.fd >= 0) {
    sourceIndex = count;
    fds[count++] = {queue.source.fd, POLLIN, 0};
  }
  if (queue.source.timerFd >= 0) {
    timerIndex = count;
    fds[count++] = {queue.source.timerFd, POLLIN, 0};
  }
  int ready;
  do {
    ready = poll(fds, count, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  if (ready <= 0) return 0;
  // Objects come before input, as they do for MsgWaitForMultipleObjects.
  if (extraIndex >= 0 && fds[extraIndex].revents) return 2;
  std::uint64_t counter;
  [[maybe_unused]] auto got = read(queue.eventFd, &counter, sizeof counter);
  if ((sourceIndex >= 0 && fds[sourceIndex].revents) || (timerIndex >= 0 && fds[timerIndex].revents))
    Collect(queue);
  ServeSentCalls();
  return 1;
}

}  // namespace platform::posix

namespace platform {

ThreadId CurrentThreadId() {
  thread_local ThreadId id = static_cast<ThreadId>(syscall(SYS_gettid));
  return id;
}

void PostToThread(ThreadId thread, void (*handler)(void*), void* argument) {
  posix::Post(thread, [=] { handler(argument); });
}

}  // namespace platform
