#include "platform/image/gif_frames.h"

#include <cstring>

#include "platform/image/gif_file.h"

namespace platform::image {

namespace {

constexpr GraphicsControlBlock kNoControl{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};

bool IsLoopApplication(const GifByteType* block) {
  return block && block[0] == 11 &&
         (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 ||
          std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0);
}

// Takes the graphics control and loop count that it carries; false on damage.
bool ReadExtension(GifFileType* gif, GraphicsControlBlock& control, int& loopCount) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
  if (code == GRAPHICS_EXT_FUNC_CODE && block) {
    if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_ERROR) control = kNoControl;
  }
  const bool loop = code == APPLICATION_EXT_FUNC_CODE && IsLoopApplication(block);
  while (block) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
    // The loop sub-block: length 3, id 1, then a little-endian count.
    if (loop && block && block[0] >= 3 && block[1] == 1) loopCount = block[2] | block[3] << 8;
  }
  return true;
}

}  // namespace

int GifDelayMs(int centiseconds) { return centiseconds <= 1 ? 100 : centiseconds * 10; }

GifAnimation ScanGif(std::span<const std::uint8_t> bytes, const PictureLimits& limits) {
  GifAnimation animation;
  SpanReader reader(bytes);
  const GifFile gif = OpenGifFile(reader);
  if (!gif) return animation;
  GraphicsControlBlock control = kNoControl;
  GifRecordType type = UNDEFINED_RECORD_TYPE;
  while (DGifGetRecordType(gif.get(), &type) != GIF_ERROR && type != TERMINATE_RECORD_TYPE) {
    if (type == EXTENSION_RECORD_TYPE) {
      if (!ReadExtension(gif.get(), control, animation.loopCount)) break;
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) break;
    if (animation.frames.size() >= static_cast<std::size_t>(limits.maxGifFrames)) break;
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) break;
    const GifImageDesc& image = gif->Image;
    if (std::int64_t{image.Width} * image.Height > limits.maxGifCanvasPixels) break;
    GifFrameRecord frame;
    frame.left = image.Left;
    frame.top = image.Top;
    frame.width = image.Width;
    frame.height = image.Height;
    frame.delayMs = GifDelayMs(control.DelayTime);
    frame.disposal = control.DisposalMode <= DISPOSE_PREVIOUS ? control.DisposalMode : 0;
    frame.transparentIndex = control.TransparentColor;
    animation.frames.push_back(frame);
    control = kNoControl;
    // A frame whose data breaks off still shows the part before the break.
    if (!SkipImageData(gif.get())) break;
  }
  return animation;
}

}  // namespace platform::image
