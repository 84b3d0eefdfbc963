// Opening any bytes as a picture and rendering it small: the first frames in
// order, then the first again (an animation starting over), and a stretch.
// Limits are lower than the program's so that each input stays quick under
// the sanitizers; the code paths are the same.
#include <cstdlib>

#include "platform/image/picture.h"

namespace {

platform::image::PictureLimits FuzzLimits() {
  platform::image::PictureLimits limits;
  limits.maxSourcePixels = 1 << 22;
  limits.maxGifCanvasPixels = 1 << 20;
  limits.maxGifFrames = 100;
  limits.maxJpegMemory = 64 << 20;
  limits.maxJpegScans = 50;
  return limits;
}

void Check(const std::optional<platform::image::PictureFrame>& frame, int width, int height) {
  if (!frame) return;
  if (frame->width != width || frame->height != height || frame->stride != width * 4 ||
      frame->pixels.size() != static_cast<std::size_t>(width) * height) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const platform::image::PictureLimits limits = FuzzLimits();
  const auto decoder = platform::image::OpenPicture(ByteData(data, data + size), {240, 240, 240}, limits);
  if (!decoder) return 0;
  const int frames = decoder->FrameCount();
  if (frames < 1 || frames > limits.maxGifFrames) std::abort();
  for (int i = 0; i < frames && i < 4; ++i) {
    Check(decoder->RenderFrame(i, 32, 24), 32, 24);
    if (decoder->FrameDelayMs(i) < 0) std::abort();
  }
  Check(decoder->RenderFrame(0, 5, 70), 5, 70);
  return 0;
}
