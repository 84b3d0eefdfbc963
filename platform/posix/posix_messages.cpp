// The message functions of the system on POSIX: the calling thread's queue
// (thread_queue.h) read and dispatched one record at a time.
#include "platform/posix/thread_queue.h"

namespace platform {

int PeekMessageA(MessageRecord* record, NativeHandle, unsigned, unsigned, unsigned remove) {
  return posix::TakeNext(record, remove & kPmRemove) ? 1 : 0;
}

// Keyboard messages reach the toolkit already translated.
int TranslateMessage(const MessageRecord*) { return 0; }

std::intptr_t DispatchMessageA(const MessageRecord* record) {
  posix::Dispatch(record);
  return 0;
}

}  // namespace platform
