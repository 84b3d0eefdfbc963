// Each thread's message queue on POSIX systems: what PeekMessageA,
// DispatchMessageA, PostToThread and the waits of the timer stand on.
//
// A queue is a list of posted handlers plus an eventfd that is signalled
// whenever something is posted. The UI thread has a second source, the
// window system's connection: the backend registers it with
// SetSystemEventSource, and its pending events are collected into the queue
// before every peek.
#pragma once

#include <functional>

#include "platform/system.h"

namespace platform::posix {

// Message numbers of the records that PeekMessageA gives.
inline constexpr std::uint32_t kPostedMessage = 0x0400;
inline constexpr std::uint32_t kQuitMessage = 0x0012;

// Queues `handler` for the thread; it runs when that thread dispatches it.
void Post(ThreadId thread, std::function<void()> handler);
// Queues a quit request for the thread. ProcessPendingEvents leaves it queued.
void PostQuit(ThreadId thread);
bool QuitRequested();  // of the calling thread; taken off by TakeQuit
void TakeQuit();

// The eventfd of the calling thread's queue. Readable after a post; a wait
// that returns because of it calls ConsumeWake so that one post wakes once.
int WakeFd();
void ConsumeWake();

// The UI thread's window-system connection: `fd` becomes readable when events
// arrive; `collect` moves pending events into the queue as handlers.
struct SystemEventSource {
  int fd = -1;
  void (*collect)() = nullptr;
};
void SetSystemEventSource(ThreadId uiThread, SystemEventSource source);
// The source of the calling thread: fd -1 for threads without one.
SystemEventSource CurrentSystemEventSource();

// Runs every handler queued for the calling thread, not a quit request.
void DispatchPending();

// Blocks until the calling thread's queue or system source has input or
// `timeoutMs` passed (-1: no limit), also watching `extraFd` (-1: none).
// Gives 2 when extraFd is readable, 1 for input, 0 for the time-out.
int WaitForInput(int timeoutMs, int extraFd = -1);

}  // namespace platform::posix
