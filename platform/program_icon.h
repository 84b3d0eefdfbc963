// The program's icon, drawn at run time: 128 by 128 pixels.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

inline constexpr int kProgramIconSize = 128;

// Rows from the top, each pixel 0xAARRGGBB, not premultiplied.
std::vector<std::uint32_t> DrawProgramIcon();

}  // namespace platform
