// The one pixel layout the decoders hand on: PIXMAN_x8r8g8b8, a 32-bit word
// 0xXXRRGGBB with the unused byte set, and the blend of a coloured pixel with
// the background it is shown over. Readers ignore the unused byte: pixman
// doesn't promise what it writes there.
#pragma once

#include <cstdint>

#include "platform/window_definition.h"

namespace platform::image {

constexpr std::uint32_t PackXrgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return 0xFF000000u | r << 16 | g << 8 | b;
}

constexpr std::uint32_t PackXrgb(Rgb colour) { return PackXrgb(colour.r, colour.g, colour.b); }

// `alpha` straight (not premultiplied), 0 fully transparent; rounded to the
// nearest value.
constexpr std::uint32_t BlendChannel(std::uint32_t value, std::uint32_t background,
                                     std::uint32_t alpha) {
  const std::uint32_t mixed = value * alpha + background * (255 - alpha) + 128;
  return (mixed + (mixed >> 8)) >> 8;  // mixed / 255 rounded, for mixed up to 255 * 255
}

// `argb` is 0xAARRGGBB with straight alpha.
constexpr std::uint32_t BlendOver(std::uint32_t argb, Rgb background) {
  const std::uint32_t alpha = argb >> 24;
  if (alpha == 255) return argb;
  return PackXrgb(BlendChannel(argb >> 16 & 0xFF, background.r, alpha),
                  BlendChannel(argb >> 8 & 0xFF, background.g, alpha),
                  BlendChannel(argb & 0xFF, background.b, alpha));
}

}  // namespace platform::image
