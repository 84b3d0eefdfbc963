// Each thread's message queue on POSIX systems: what PeekMessageA,
// DispatchMessageA, PostToThread and the waits of the timer stand on.
//
// A queue holds two lists, as a Windows thread's does: handlers posted to
// the thread, and calls sent to it by another thread that waits for them.
// Sent calls are served by every wait of the thread (so the UI thread serves
// the watcher's window writes even while it waits for the watcher to stop);
// posted handlers only when the thread dispatches its messages. An eventfd is
// signalled whenever something arrives. The UI thread has a second source,
// the window system's connection: the backend registers it, and its pending
// events are collected into the queue before every peek and wait.
#pragma once

#include <functional>

#include "platform/system.h"

namespace platform::posix {

// Message numbers of the records that PeekMessageA gives.
inline constexpr std::uint32_t kPostedMessage = 0x0400;
inline constexpr std::uint32_t kQuitMessage = 0x0012;

// Queues `handler` for the thread; it runs when that thread dispatches it.
void Post(ThreadId thread, std::function<void()> handler);
// Runs `call` on the thread and waits until it has run; inline when the
// thread is the calling one. The target thread must be one that serves its
// queue (the UI thread): a thread that never waits would block the caller.
void Send(ThreadId thread, std::function<void()> call);
// Queues a quit request for the thread. DispatchPending leaves it queued.
void PostQuit(ThreadId thread);
bool QuitRequested();  // of the calling thread
void TakeQuit();

// The UI thread: the one that owns the windows.
void SetUiThread(ThreadId thread);
ThreadId UiThread();
bool OnUiThread();

// The UI thread's window-system connection: `fd` becomes readable when events
// arrive, `timerFd` when a timer of the toolkit is due; `collect` moves
// pending events and due timers into the queue (with Post).
struct SystemEventSource {
  int fd = -1;
  int timerFd = -1;  // the toolkit's own timers (animations), or -1
  void (*collect)() = nullptr;
};
void SetSystemEventSource(SystemEventSource source);  // for the UI thread

// Takes the next message of the calling thread into the record (sent calls
// first, then posted handlers, then a quit request); false when there is
// none. The record's wParam identifies the taken handler for Dispatch.
bool TakeNext(MessageRecord* record, bool remove);
void Dispatch(const MessageRecord* record);

// Runs every sent call and posted handler of the calling thread, not a quit
// request.
void DispatchPending();
// Runs the sent calls alone.
void ServeSentCalls();

// Blocks until the calling thread's queue or system source has input, or
// `timeoutMs` passed (-1: no limit), also watching `extraFd` (-1: none).
// Sent calls that arrive meanwhile are served inside the wait, as Windows
// does. Gives 2 when extraFd is readable, 1 for new input, 0 for the time-out.
int WaitForInput(int timeoutMs, int extraFd = -1);

}  // namespace platform::posix
