// The calling thread's messages through the bound user32 functions. A
// MessageRecord is handed to them as it stands, so it has to be laid out as
// the system's MSG.
#include <cstddef>

#include "platform/system.h"
#include "platform/win32/win32_bound_functions.h"
#include "platform/win32/win32_toolkit.h"

namespace platform {

static_assert(sizeof(MessageRecord) == sizeof(MSG));
static_assert(offsetof(MessageRecord, window) == offsetof(MSG, hwnd));
static_assert(offsetof(MessageRecord, message) == offsetof(MSG, message));
static_assert(offsetof(MessageRecord, wParam) == offsetof(MSG, wParam));
static_assert(offsetof(MessageRecord, lParam) == offsetof(MSG, lParam));
static_assert(offsetof(MessageRecord, time) == offsetof(MSG, time));
static_assert(offsetof(MessageRecord, x) == offsetof(MSG, pt.x));
static_assert(offsetof(MessageRecord, y) == offsetof(MSG, pt.y));

namespace {
MSG* AsMsg(MessageRecord* record) { return reinterpret_cast<MSG*>(record); }
const MSG* AsMsg(const MessageRecord* record) { return reinterpret_cast<const MSG*>(record); }
}  // namespace

int PeekMessageA(MessageRecord* record, NativeHandle window, unsigned first, unsigned last,
                 unsigned remove) {
  return win32::bound::PeekMessageA(AsMsg(record), reinterpret_cast<HWND>(window), first, last,
                                    remove);
}

int TranslateMessage(const MessageRecord* record) {
  return win32::bound::TranslateMessage(AsMsg(record));
}

std::intptr_t DispatchMessageA(const MessageRecord* record) {
  // Thread messages have no window procedure; the handlers that PostToThread
  // queued run here instead.
  if (win32::RunThreadHandler(*AsMsg(record))) return 0;
  return win32::bound::DispatchMessageA(AsMsg(record));
}

ThreadId CurrentThreadId() { return ::GetCurrentThreadId(); }

void PostToThread(ThreadId thread, void (*handler)(void*), void* argument) {
  win32::PostThreadHandler(static_cast<DWORD>(thread), handler, argument);
}

}  // namespace platform
