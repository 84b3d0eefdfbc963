#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <vector>

#include "platform/image/bmp_header.h"
#include "platform/image/format_decoders.h"
#include "platform/image/pixels.h"
#include "platform/image/row_scaler.h"

namespace platform::image {

namespace {

// One channel of a packed pixel: where its bits lie and how far they reach.
struct Channel {
  explicit Channel(std::uint32_t mask)
      : mask(mask), shift(mask ? std::countr_zero(mask) : 0), most(mask ? mask >> shift : 0) {}
  std::uint32_t Value(std::uint32_t pixel, std::uint32_t absent) const {
    if (most == 0) return absent;
    return static_cast<std::uint32_t>((std::uint64_t{(pixel & mask) >> shift} * 255 + most / 2) / most);
  }
  std::uint32_t mask;
  int shift;
  std::uint32_t most;
};

class BmpDecoder final : public PictureDecoder {
 public:
  BmpDecoder(ByteData bytes, PictureInfo info, const PictureLimits& limits, Rgb background,
             const BmpHeader& header)
      : PictureDecoder(info, limits, background), bytes_(std::move(bytes)), header_(header) {
    ReadPalette();
    const std::size_t paletteEnd = header_.paletteOffset +
                                   static_cast<std::size_t>(header_.paletteCount) * header_.paletteEntrySize;
    // A missing or impossible offset: the pixels follow the palette.
    pixelOffset_ = header_.pixelOffset == 0 || header_.pixelOffset >= bytes_.size()
                       ? std::min(paletteEnd, bytes_.size())
                       : header_.pixelOffset;
    stride_ = (static_cast<std::size_t>(header_.width) * header_.bitsPerPixel + 31) / 32 * 4;
    useAlpha_ = header_.masks[3] != 0 && AnyAlpha();
  }

 protected:
  std::optional<PictureFrame> Render(int, int outWidth, int outHeight) override {
    RowScaler scaler(header_.width, header_.height, outWidth, outHeight, background_);
    std::vector<std::uint32_t> row(static_cast<std::size_t>(header_.width));
    if (header_.compression == BmpCompression::Rle8 || header_.compression == BmpCompression::Rle4) {
      DecodeRle(scaler, row);
    } else {
      DecodeRows(scaler, row);
    }
    return scaler.Finish();
  }

 private:
  void ReadPalette() {
    palette_.fill(PackXrgb(0, 0, 0));  // indices past the palette show black
    for (int i = 0; i < header_.paletteCount; ++i) {
      const std::size_t at = header_.paletteOffset + static_cast<std::size_t>(i) * header_.paletteEntrySize;
      if (at + 3 > bytes_.size()) break;
      palette_[i] = PackXrgb(bytes_[at + 2], bytes_[at + 1], bytes_[at]);
    }
  }

  // File row `stored` (0 is the first row in the file) and its place on screen.
  int ScreenRow(int stored) const { return header_.topDown ? stored : header_.height - 1 - stored; }

  std::uint32_t PackedPixel(const std::uint8_t* at) const {
    return header_.bitsPerPixel == 16 ? at[0] | at[1] << 8
                                      : at[0] | at[1] << 8 | at[2] << 16 | std::uint32_t{at[3]} << 24;
  }

  // Many programs write 32-bit BMPs with an alpha mask and every alpha 0;
  // they mean an opaque picture, as other viewers show it.
  bool AnyAlpha() const {
    const int size = header_.bitsPerPixel / 8;
    if (size < 2) return false;
    for (int stored = 0; stored < header_.height; ++stored) {
      const std::size_t start = pixelOffset_ + stored * stride_;
      if (start + stride_ > bytes_.size()) break;
      for (int x = 0; x < header_.width; ++x) {
        if (PackedPixel(&bytes_[start + x * size]) & header_.masks[3]) return true;
      }
    }
    return false;
  }

  void ConvertRow(const std::uint8_t* data, std::uint32_t* row) const {
    const int width = header_.width;
    const int bits = header_.bitsPerPixel;
    if (bits <= 8) {
      const int perByte = 8 / bits;
      const std::uint32_t mask = (1u << bits) - 1;
      for (int x = 0; x < width; ++x) {
        const int shift = 8 - bits * (x % perByte + 1);
        row[x] = palette_[data[x / perByte] >> shift & mask];
      }
      return;
    }
    if (bits == 24) {
      for (int x = 0; x < width; ++x, data += 3) row[x] = PackXrgb(data[2], data[1], data[0]);
      return;
    }
    const Channel red(header_.masks[0]), green(header_.masks[1]), blue(header_.masks[2]);
    const Channel alpha(useAlpha_ ? header_.masks[3] : 0);
    const int size = bits / 8;
    for (int x = 0; x < width; ++x, data += size) {
      const std::uint32_t pixel = PackedPixel(data);
      const std::uint32_t argb = alpha.Value(pixel, 255) << 24 | red.Value(pixel, 0) << 16 |
                                 green.Value(pixel, 0) << 8 | blue.Value(pixel, 0);
      row[x] = BlendOver(argb, background_);
    }
  }

  // Rows the file doesn't hold in full are left to the background.
  void DecodeRows(RowScaler& scaler, std::vector<std::uint32_t>& row) const {
    for (int stored = 0; stored < header_.height; ++stored) {
      const std::size_t start = pixelOffset_ + stored * stride_;
      if (start + stride_ > bytes_.size()) break;
      ConvertRow(&bytes_[start], row.data());
      scaler.AddRow(ScreenRow(stored), row.data());
    }
  }

  // Runs of one index (or, for RLE4, two alternating ones), literal runs,
  // and escapes for the end of a row, the end of the picture and a jump.
  // Pixels that no run sets, and runs past the row's end, are dropped to
  // the background.
  void DecodeRle(RowScaler& scaler, std::vector<std::uint32_t>& row) const {
    const bool four = header_.compression == BmpCompression::Rle4;
    const int width = header_.width;
    const std::uint32_t background = PackXrgb(background_);
    std::fill(row.begin(), row.end(), background);
    int stored = 0;
    int x = 0;
    auto put = [&](std::uint8_t index) {
      if (x < width) row[x] = palette_[index];
      x = std::min(x + 1, width);
    };
    auto endRow = [&] {
      scaler.AddRow(ScreenRow(stored), row.data());
      std::fill(row.begin(), row.end(), background);
      ++stored;
    };
    std::size_t at = pixelOffset_;
    const std::size_t size = bytes_.size();
    while (stored < header_.height && at + 1 < size) {
      const std::uint8_t count = bytes_[at], value = bytes_[at + 1];
      at += 2;
      if (count > 0) {
        for (int i = 0; i < count && x < width; ++i) {
          put(four ? (i % 2 ? value & 0x0F : value >> 4) : value);
        }
        continue;
      }
      if (value == 0) {  // end of row
        endRow();
        x = 0;
      } else if (value == 1) {  // end of picture
        break;
      } else if (value == 2) {  // jump right and down
        if (at + 1 >= size) break;
        const int right = bytes_[at], down = bytes_[at + 1];
        at += 2;
        for (int i = 0; i < down && stored < header_.height; ++i) endRow();
        x = std::min(x + right, width);
      } else {  // literal run of `value` pixels, padded to a 16-bit boundary
        const std::size_t dataSize = four ? (value + 1u) / 2 : value;
        for (int i = 0; i < value; ++i) {
          const std::size_t byteAt = at + (four ? i / 2 : i);
          if (byteAt >= size) break;
          const std::uint8_t byte = bytes_[byteAt];
          put(four ? (i % 2 ? byte & 0x0F : byte >> 4) : byte);
        }
        at += (dataSize + 1) & ~std::size_t{1};
      }
    }
    if (stored < header_.height) endRow();  // the row in progress when the data ended
  }

  ByteData bytes_;
  BmpHeader header_;
  std::array<std::uint32_t, 256> palette_{};
  std::size_t pixelOffset_ = 0;
  std::size_t stride_ = 0;
  bool useAlpha_ = false;
};

}  // namespace

std::unique_ptr<PictureDecoder> OpenBmp(ByteData bytes, PictureInfo info,
                                        const PictureLimits& limits, Rgb background) {
  const auto header = ParseBmpHeader(bytes);
  if (!header) return nullptr;
  return std::make_unique<BmpDecoder>(std::move(bytes), info, limits, background, *header);
}

}  // namespace platform::image
