// Brings decoded rows to the output size without holding the source whole.
// Rows are first averaged in blocks of source pixels into an intermediate
// image between one and two times the output size (per axis, the source size
// divided by a whole factor, blocks of that factor or one more so that they
// tile the source evenly); pixman's bilinear filter then stretches that to
// the exact size. So memory follows the output, whatever the source's pixel
// count, and a large shrink is an average rather than a bilinear sample that
// would alias.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/image/picture.h"

namespace platform::image {

class RowScaler {
 public:
  // Sides at least 1. Pixels never delivered show `background`. Throws
  // std::bad_alloc when the intermediate image can't be had.
  RowScaler(int sourceWidth, int sourceHeight, int outWidth, int outHeight, Rgb background);

  // Row `y` of the source: sourceWidth XRGB pixels. Rows come in increasing
  // or in decreasing order (bottom-up pictures); a row that goes back to a
  // block already finished replaces that block.
  void AddRow(int y, const std::uint32_t* row);
  // `count` pixels of row `y` at x = firstX, firstX + stepX, ...: the passes
  // of an interlaced picture, in any order. Don't mix with AddRow.
  void AddScattered(int y, int firstX, int stepX, const std::uint32_t* pixels, int count);

  // The output frame; empty when pixman can't allocate.
  std::optional<PictureFrame> Finish();

  int IntermediateWidth() const { return interWidth_; }
  int IntermediateHeight() const { return interHeight_; }

 private:
  void FlushBlockRow();
  std::uint32_t Average(const std::uint32_t* sums, std::uint32_t count) const;

  int BlockRowOf(int y) const;

  int sourceWidth_, sourceHeight_, outWidth_, outHeight_;
  int interWidth_, interHeight_;
  bool direct_;  // the intermediate is the source: nothing to average
  std::vector<int> columnBlock_;  // the intermediate column of each source column
  std::vector<int> blockWidth_;   // source columns per intermediate column
  std::vector<std::uint32_t> intermediate_;

  // Sums of red, green and blue per intermediate pixel of the block row
  // being gathered (AddRow).
  std::vector<std::uint32_t> rowSums_;
  int blockRow_ = -1;
  int rowsInBlock_ = 0;

  // Sums and counts for the whole intermediate image (AddScattered).
  std::vector<std::uint32_t> scatterSums_;
};

}  // namespace platform::image
