// The frame table of a GIF, read in one pass that leaves the image data
// undecoded: where each frame lies and how long and how it stays.
#pragma once

#include <span>
#include <vector>

#include "platform/image/picture.h"

namespace platform::image {

struct GifFrameRecord {
  int left = 0, top = 0, width = 0, height = 0;
  int delayMs = 0;
  // 0 unspecified, 1 keep, 2 restore to background, 3 restore to previous;
  // values beyond 3 are kept as 0.
  int disposal = 0;
  int transparentIndex = -1;  // -1 for none
};

struct GifAnimation {
  std::vector<GifFrameRecord> frames;
  int loopCount = kNoLoopExtension;
};

// Frames up to the first damage, at most limits.maxGifFrames of them; a
// frame larger than limits.maxGifCanvasPixels ends the table, since decoding
// it could take a very long time.
GifAnimation ScanGif(std::span<const std::uint8_t> bytes, const PictureLimits& limits);

// GIF delays are in hundredths of a second; 10 ms or less plays at 100 ms,
// as browsers do, because such files were made for players that did so.
int GifDelayMs(int centiseconds);

}  // namespace platform::image
