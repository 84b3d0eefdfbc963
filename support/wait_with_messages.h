#pragma once

#include <cstdint>

// Waits `count` units (0 ms, 1 s, 2 min, 3 h, any other code: that many ms
// per count) on a one-shot timer, dispatching the calling thread's messages
// the moment they arrive.
void WaitWithMessages(std::int64_t count, std::int32_t unit);
