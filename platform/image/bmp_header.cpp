#include "platform/image/bmp_header.h"

#include <cstdlib>

namespace platform::image {

namespace {

// Info header sizes: OS/2 core, BITMAPINFOHEADER, its V2 and V3 (Adobe's
// masks in the header), OS/2 2.x, V4, V5.
constexpr std::uint32_t kCoreHeader = 12;
constexpr std::uint32_t kInfoHeader = 40;
constexpr std::uint32_t kOs2Header = 64;

// Compression codes.
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

std::uint32_t Read16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8;
}

std::uint32_t Read32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}

bool KnownHeaderSize(std::uint32_t size) {
  return size == kCoreHeader || size == kInfoHeader || size == 52 || size == 56 ||
         size == kOs2Header || size == 108 || size == 124;
}

}  // namespace

std::optional<BmpHeader> ParseBmpHeader(std::span<const std::uint8_t> leading) {
  if (leading.size() < 18 || leading[0] != 'B' || leading[1] != 'M') return std::nullopt;
  const std::uint32_t headerSize = Read32(leading, 14);
  if (!KnownHeaderSize(headerSize) || leading.size() < 14 + headerSize) return std::nullopt;

  BmpHeader header;
  header.pixelOffset = Read32(leading, 10);
  std::uint32_t compression = kRgb;
  std::uint32_t colourCount = 0;
  std::int64_t height = 0;
  if (headerSize == kCoreHeader) {
    header.width = static_cast<int>(Read16(leading, 18));
    height = Read16(leading, 20);
    header.bitsPerPixel = static_cast<int>(Read16(leading, 24));
    header.paletteEntrySize = 3;
  } else {
    header.width = static_cast<std::int32_t>(Read32(leading, 18));
    height = static_cast<std::int32_t>(Read32(leading, 22));
    header.bitsPerPixel = static_cast<int>(Read16(leading, 28));
    compression = Read32(leading, 30);
    colourCount = Read32(leading, 46);
  }
  header.topDown = height < 0;
  height = std::llabs(height);
  if (header.width < 1 || height < 1 || height > INT32_MAX) return std::nullopt;
  header.height = static_cast<int>(height);

  const int bits = header.bitsPerPixel;
  // OS/2 2.x reuses 3 and 4 for Huffman and RLE24, which we don't read.
  if (headerSize == kOs2Header && compression > kRle4) return std::nullopt;
  switch (compression) {
    case kRgb:
      if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return std::nullopt;
      }
      break;
    case kRle8:
      if (bits != 8) return std::nullopt;
      header.compression = BmpCompression::Rle8;
      break;
    case kRle4:
      if (bits != 4) return std::nullopt;
      header.compression = BmpCompression::Rle4;
      break;
    case kBitFields:
    case kAlphaBitFields:
      if (bits != 16 && bits != 32) return std::nullopt;
      header.compression = BmpCompression::BitFields;
      break;
    default:
      return std::nullopt;  // embedded JPEG or PNG, CMYK
  }

  std::size_t afterHeader = 14 + headerSize;
  if (header.compression == BmpCompression::BitFields) {
    // A BITMAPINFOHEADER is followed by the masks; later versions hold them.
    const std::size_t maskCount = compression == kAlphaBitFields ? 4 : 3;
    const std::size_t masksAt = headerSize == kInfoHeader ? afterHeader : 14 + kInfoHeader;
    if (headerSize == kInfoHeader) afterHeader += maskCount * 4;
    if (leading.size() < masksAt + maskCount * 4) return std::nullopt;
    for (std::size_t i = 0; i < maskCount; ++i) header.masks[i] = Read32(leading, masksAt + i * 4);
    // V3 and later headers carry the alpha mask even with three masks.
    if (maskCount == 3 && headerSize >= 56) header.masks[3] = Read32(leading, 14 + 52);
  } else if (bits == 16) {
    header.masks = {0x7C00, 0x03E0, 0x001F, 0};
  } else if (bits == 24 || bits == 32) {
    header.masks = {0xFF0000, 0x00FF00, 0x0000FF, 0};
  }

  if (bits <= 8) {
    const std::uint32_t most = 1u << bits;
    header.paletteCount = static_cast<int>(colourCount == 0 || colourCount > most ? most : colourCount);
  }
  header.paletteOffset = afterHeader;
  return header;
}

}  // namespace platform::image
