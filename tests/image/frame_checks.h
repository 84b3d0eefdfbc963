// Reading rendered frames back in tests.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <ostream>

#include <gtest/gtest.h>

#include "platform/image/picture.h"
#include "tests/fixtures/picture_writers.h"

namespace image_test {

struct Colour {
  int r, g, b;
  bool operator==(const Colour&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Colour& c) {
  return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

inline Colour At(const platform::image::PictureFrame& frame, int x, int y) {
  const std::uint32_t pixel = frame.pixels[static_cast<std::size_t>(y) * (frame.stride / 4) + x];
  return {static_cast<int>(pixel >> 16 & 0xFF), static_cast<int>(pixel >> 8 & 0xFF),
          static_cast<int>(pixel & 0xFF)};
}

inline Colour Of(fixtures::Rgba c) { return {c.r, c.g, c.b}; }
inline Colour Of(platform::Rgb c) { return {c.r, c.g, c.b}; }

inline bool Near(Colour a, Colour b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

// Every pixel of the frame within `tolerance` of `expected`.
inline ::testing::AssertionResult AllNear(const platform::image::PictureFrame& frame,
                                          Colour expected, int tolerance) {
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      if (!Near(At(frame, x, y), expected, tolerance)) {
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is "
                                             << At(frame, x, y) << ", expected " << expected;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

inline constexpr platform::Rgb kBackground{240, 240, 240};

}  // namespace image_test
