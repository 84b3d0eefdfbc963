#pragma once

#include <cstdint>

// Waits `count` units (0 ms, 1 s, 2 min, 3 h, any other code: that many ms
// per count) on a one-shot timer, dispatching the calling thread's messages
// the moment they arrive.
void WaitWithMessages(std::int64_t count, std::int32_t unit);

// The timer's due time for such a wait, in 100 ns units, negative (relative)
// for a wait of positive length. Products beyond the range of int64 give its
// nearest end.
std::int64_t WaitDueTime(std::int64_t count, std::int32_t unit);
