// What the POSIX folder listing lets tests see.
#pragma once

#include <cstddef>

namespace platform::posix {

// Searches started with FindFirstFileA and not yet closed, on every thread.
std::size_t OpenSearchCount();

}  // namespace platform::posix
