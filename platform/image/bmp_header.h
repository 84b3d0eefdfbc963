// The headers of a BMP file: the file header, one of the info header
// versions (OS/2 core, BITMAPINFOHEADER and the V2 to V5 extensions) and the
// colour masks. Read by our own code: no library reads BMP.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace platform::image {

enum class BmpCompression { None, Rle8, Rle4, BitFields };

struct BmpHeader {
  int width = 0;
  int height = 0;  // always positive; topDown tells the row order
  bool topDown = false;
  int bitsPerPixel = 0;
  BmpCompression compression = BmpCompression::None;
  // Red, green, blue, alpha: where 16- and 32-bit pixels keep each channel.
  std::array<std::uint32_t, 4> masks{};
  std::size_t paletteOffset = 0;
  int paletteEntrySize = 4;  // 3 for the OS/2 core header
  int paletteCount = 0;      // as declared, at most 256
  std::uint32_t pixelOffset = 0;  // as stored; 0 when absent
};

// The bytes needed to read every header but the palette.
inline constexpr std::size_t kBmpHeadersSize = 14 + 124 + 16;

// Empty unless the headers describe a picture we decode: 1, 4, 8, 16, 24 or
// 32 bits, uncompressed, RLE8, RLE4 or bit fields, with a width of at least
// 1 and a height that isn't 0.
std::optional<BmpHeader> ParseBmpHeader(std::span<const std::uint8_t> leading);

}  // namespace platform::image
