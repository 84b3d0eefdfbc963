// How the locale's character set maps to a Windows code page number.
#pragma once

#include <string_view>

namespace platform::posix {

// 936 for the GB sets, 65001 for UTF-8, the code page of a known single- or
// double-byte set, and 65001 (byte order) for a set it does not know.
int CodePageOfCharset(std::string_view charset);

}  // namespace platform::posix
