// The system functions under the support routines. On Windows they are the
// bound functions of the system's libraries; elsewhere the backend gives the
// same behaviour with its own system's means. Names and arguments follow the
// Windows functions they stand for, so the routines above read the same on
// every system.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/toolkit.h"
#include "support/text.h"

namespace platform {

// --- messages of the calling thread ---
// The platform's message record: window handle, message number, the two
// parameter words, time, cursor point.
struct MessageRecord {
  NativeHandle window;
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
  std::uint32_t time;
  std::int32_t x, y;
};
inline constexpr unsigned kPmRemove = 1;
inline constexpr unsigned kPmNoRemove = 0;
inline constexpr std::uint32_t kWmQuit = 0x0012;  // the message number of a quit request
// Non-zero when a message was taken into the record.
int PeekMessageA(MessageRecord* record, NativeHandle window, unsigned first, unsigned last,
                 unsigned remove);
int TranslateMessage(const MessageRecord* record);
std::intptr_t DispatchMessageA(const MessageRecord* record);
// Queues a message for a thread started by StartThread or the UI thread;
// `handler` runs when that thread dispatches it. For tests and the toolkit.
using ThreadId = std::uintptr_t;
ThreadId CurrentThreadId();
void PostToThread(ThreadId thread, void (*handler)(void*), void* argument);

// --- the folder listing ---
inline constexpr std::uint32_t kDirectoryAttribute = 16;
struct FindEntry {
  std::uint32_t attributes;
  Text name;
};
using SearchHandle = std::intptr_t;
inline constexpr SearchHandle kInvalidSearch = -1;
// `path` is a folder followed by a wildcard pattern ("*" and "?"), matched
// without regard to letter case.
SearchHandle FindFirstFileA(const Text& path, FindEntry* entry);
bool FindNextFileA(SearchHandle search, FindEntry* entry);
void FindClose(SearchHandle search);
// Identifies a folder whatever the path that leads to it (links included);
// empty when it can't be read. Guards walks against cycles.
Text FolderIdentity(const Text& folder);

// --- code pages ---
// The C runtime's strlen: the bytes before the first zero byte.
std::size_t TextLength(const char* bytes);
int SystemCodePage();  // 936 on a Chinese system; 65001 for UTF-8
// UTF-16 units written, the terminating zero unit included; with a null
// output, the units needed. `bytes` ends in a zero byte. Invalid sequences
// are replaced, not refused.
int MultiByteToWideChar(int codePage, const char* bytes, char16_t* output, int capacity);
// Searches for a UTF-16 name (null or a pattern with "*" and "?"); true and
// the first match's attributes when one exists.
bool FindFirstFileW(const char16_t* name, std::uint32_t* attributes);

// --- pictures ---
enum class Dimension { Width, Height };
// Loads the picture of a file (UTF-16 name with its zero unit) or of bytes
// and gives one of its dimensions; 0 when it can't be loaded.
int MeasurePictureFile(const ByteData& wideName, Dimension which);
int MeasurePictureBytes(const ByteData& bytes, Dimension which);

// --- layered windows ---
inline constexpr int kGwlExStyle = -20;
inline constexpr std::int32_t kWsExTransparent = 0x20;
inline constexpr std::int32_t kWsExLayered = 0x80000;
std::int32_t GetWindowLongA(NativeHandle window, int index);
std::int32_t SetWindowLongA(NativeHandle window, int index, std::int32_t value);
int SetLayeredWindowAttributes(NativeHandle window, std::uint32_t colourKey, std::uint8_t alpha,
                               std::uint32_t flags);

// --- one-shot timers and the message-aware wait ---
using TimerHandle = std::intptr_t;
inline constexpr TimerHandle kNoTimer = 0;
TimerHandle CreateWaitableTimerA();  // unnamed, auto-reset
// `due` in 100 ns units; negative counts from now.
bool SetWaitableTimer(TimerHandle timer, std::int64_t due);
// 0 when the timer fired; 1 when a message arrived for the calling thread;
// another value when the wait failed.
std::uint32_t MsgWaitForTimer(TimerHandle timer);
void CloseHandle(TimerHandle timer);
// Blocks until `milliseconds` have passed or a message arrives; true when a
// message arrived. The fallback of a wait without a timer.
bool WaitForMessagesOrTimeout(int milliseconds);

}  // namespace platform
