#include "platform/image/row_scaler.h"

#include <algorithm>

#include <pixman.h>

#include "platform/image/pixels.h"

namespace platform::image {

namespace {

// A block of at most 257 x 257 pixels keeps each channel's sum below 2^25,
// so sums fit 32 bits. Past that factor the intermediate image is at most
// 256 pixels wider or taller than twice the output, still small.
constexpr int kMaxFactor = 256;

int IntermediateSide(int source, int out) {
  return std::max(1, source / std::clamp(source / out, 1, kMaxFactor));
}

// Source position `at` of `source` falls in intermediate position
// at * inter / source: blocks of equal share, none of them a thin remainder.
int BlockOf(int at, int inter, int source) {
  return static_cast<int>(std::int64_t{at} * inter / source);
}

}  // namespace

RowScaler::RowScaler(int sourceWidth, int sourceHeight, int outWidth, int outHeight,
                     Rgb background)
    : sourceWidth_(sourceWidth),
      sourceHeight_(sourceHeight),
      outWidth_(outWidth),
      outHeight_(outHeight),
      interWidth_(IntermediateSide(sourceWidth, outWidth)),
      interHeight_(IntermediateSide(sourceHeight, outHeight)),
      direct_(interWidth_ == sourceWidth && interHeight_ == sourceHeight),
      intermediate_(static_cast<std::size_t>(interWidth_) * interHeight_, PackXrgb(background)) {
  if (direct_) return;
  columnBlock_.resize(static_cast<std::size_t>(sourceWidth_));
  blockWidth_.assign(static_cast<std::size_t>(interWidth_), 0);
  for (int x = 0; x < sourceWidth_; ++x) {
    columnBlock_[x] = BlockOf(x, interWidth_, sourceWidth_);
    ++blockWidth_[columnBlock_[x]];
  }
}

int RowScaler::BlockRowOf(int y) const { return BlockOf(y, interHeight_, sourceHeight_); }

std::uint32_t RowScaler::Average(const std::uint32_t* sums, std::uint32_t count) const {
  const std::uint32_t half = count / 2;
  return PackXrgb((sums[0] + half) / count, (sums[1] + half) / count, (sums[2] + half) / count);
}

void RowScaler::AddRow(int y, const std::uint32_t* row) {
  if (y < 0 || y >= sourceHeight_) return;
  if (direct_) {
    std::copy_n(row, sourceWidth_, &intermediate_[static_cast<std::size_t>(y) * interWidth_]);
    return;
  }
  const int block = BlockRowOf(y);
  if (block != blockRow_) {
    FlushBlockRow();
    blockRow_ = block;
  }
  if (rowSums_.empty()) rowSums_.assign(static_cast<std::size_t>(interWidth_) * 3, 0);
  for (int x = 0; x < sourceWidth_; ++x) {
    std::uint32_t* sums = &rowSums_[static_cast<std::size_t>(columnBlock_[x]) * 3];
    sums[0] += row[x] >> 16 & 0xFF;
    sums[1] += row[x] >> 8 & 0xFF;
    sums[2] += row[x] & 0xFF;
  }
  ++rowsInBlock_;
}

void RowScaler::FlushBlockRow() {
  if (blockRow_ < 0 || rowsInBlock_ == 0) return;
  std::uint32_t* out = &intermediate_[static_cast<std::size_t>(blockRow_) * interWidth_];
  for (int bx = 0; bx < interWidth_; ++bx) {
    out[bx] = Average(&rowSums_[static_cast<std::size_t>(bx) * 3],
                      static_cast<std::uint32_t>(blockWidth_[bx] * rowsInBlock_));
  }
  std::fill(rowSums_.begin(), rowSums_.end(), 0);
  rowsInBlock_ = 0;
}

void RowScaler::AddScattered(int y, int firstX, int stepX, const std::uint32_t* pixels,
                             int count) {
  if (y < 0 || y >= sourceHeight_ || stepX < 1) return;
  if (!direct_ && scatterSums_.empty()) {
    scatterSums_.assign(static_cast<std::size_t>(interWidth_) * interHeight_ * 4, 0);
  }
  const std::size_t rowStart = static_cast<std::size_t>(direct_ ? y : BlockRowOf(y)) * interWidth_;
  for (int i = 0, x = firstX; i < count && x < sourceWidth_; ++i, x += stepX) {
    if (x < 0) continue;
    if (direct_) {
      intermediate_[rowStart + x] = pixels[i];
      continue;
    }
    std::uint32_t* sums = &scatterSums_[(rowStart + columnBlock_[x]) * 4];
    sums[0] += pixels[i] >> 16 & 0xFF;
    sums[1] += pixels[i] >> 8 & 0xFF;
    sums[2] += pixels[i] & 0xFF;
    sums[3] += 1;
  }
}

std::optional<PictureFrame> RowScaler::Finish() {
  FlushBlockRow();
  for (std::size_t i = 0; i * 4 < scatterSums_.size(); ++i) {
    const std::uint32_t* sums = &scatterSums_[i * 4];
    if (sums[3] > 0) intermediate_[i] = Average(sums, sums[3]);
  }

  PictureFrame frame;
  frame.width = outWidth_;
  frame.height = outHeight_;
  frame.stride = outWidth_ * 4;
  if (interWidth_ == outWidth_ && interHeight_ == outHeight_) {
    frame.pixels = std::move(intermediate_);
    return frame;
  }
  frame.pixels.resize(static_cast<std::size_t>(outWidth_) * outHeight_);
  pixman_image_t* source = pixman_image_create_bits(PIXMAN_x8r8g8b8, interWidth_, interHeight_,
                                                    intermediate_.data(), interWidth_ * 4);
  pixman_image_t* target = pixman_image_create_bits(PIXMAN_x8r8g8b8, outWidth_, outHeight_,
                                                    frame.pixels.data(), frame.stride);
  std::optional<PictureFrame> result;
  if (source && target) {
    pixman_transform_t scale;
    pixman_transform_init_scale(
        &scale, pixman_double_to_fixed(static_cast<double>(interWidth_) / outWidth_),
        pixman_double_to_fixed(static_cast<double>(interHeight_) / outHeight_));
    pixman_image_set_transform(source, &scale);
    pixman_image_set_filter(source, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    // Edge pixels repeat outwards, so the border isn't blended with black.
    pixman_image_set_repeat(source, PIXMAN_REPEAT_PAD);
    pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, target, 0, 0, 0, 0, 0, 0, outWidth_,
                             outHeight_);
    result = std::move(frame);
  }
  if (source) pixman_image_unref(source);
  if (target) pixman_image_unref(target);
  return result;
}

}  // namespace platform::image
