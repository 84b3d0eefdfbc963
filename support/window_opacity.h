#pragma once

#include <cstdint>

#include "platform/toolkit.h"

// Makes a top-level window layered with an opacity (0..255), a colour key
// (0x00BBGGRR, 0 for none) or both, and optionally transparent to the mouse.
void SetWindowOpacity(platform::NativeHandle window, int alpha = 0,
                      std::uint32_t colourKey = 0, bool clickThrough = false);
