// Pictures for the picture box: recognising a whole file by its leading
// bytes, measuring it from its header, and decoding it at the size it is
// shown. JPEG (libjpeg-turbo), PNG (libpng), GIF (giflib, animated) and BMP
// (our own reader).
//
// Every entry point survives any input: a file that is truncated, corrupt or
// hostile gives an empty result (or, once its header was sound, the part of
// the picture that could be decoded, the rest in the background colour); it
// never crashes, hangs or takes memory in proportion to what the header
// claims. PictureLimits says where "too large" begins.
//
// Threads: nothing here keeps global state. Any thread may probe or open
// pictures; one PictureDecoder is used by one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/image/byte_reader.h"
#include "platform/window_definition.h"
#include "support/text.h"

namespace platform::image {

enum class PictureFormat { Jpeg, Png, Gif, Bmp };

// The stored size: for a GIF the logical screen, for a BMP the absolute value
// of a top-down picture's negative height.
struct PictureInfo {
  PictureFormat format;
  int width;
  int height;
  bool operator==(const PictureInfo&) const = default;
};

// Bounds a picture must keep to be decoded. Decoding memory grows with the
// output size, so the source bounds limit time rather than memory; the GIF
// canvas and progressive JPEG coefficients are held whole, hence their own
// bounds.
struct PictureLimits {
  int maxSourceSide = 65535;
  std::int64_t maxSourcePixels = std::int64_t{1} << 29;  // 20000 x 20000 fits
  std::int64_t maxGifCanvasPixels = std::int64_t{1} << 24;
  int maxGifFrames = 5000;
  // libjpeg's whole-image buffers (progressive and multi-scan files).
  std::int64_t maxJpegMemory = std::int64_t{512} << 20;
  int maxJpegScans = 500;
  int maxOutputSide = 32767;  // an X pixmap's largest side
  std::int64_t maxOutputPixels = std::int64_t{1} << 25;
};

// The format that the leading bytes announce, without looking further.
std::optional<PictureFormat> RecogniseFormat(std::span<const std::uint8_t> leading);

// Reads the header only: nothing is decoded, and from a reader no more is
// taken than the header needs (libjpeg skips its markers' contents, libpng
// stops at the first image data). Empty when the format is unknown, the
// header is damaged or a side is 0 or beyond `limits.maxSourceSide`.
std::optional<PictureInfo> ProbePicture(std::span<const std::uint8_t> bytes,
                                        const PictureLimits& limits = {});
std::optional<PictureInfo> ProbePicture(ByteReader& reader, const PictureLimits& limits = {});

// One rendered frame in PIXMAN_x8r8g8b8: each pixel a 32-bit word 0xXXRRGGBB
// in the machine's byte order, rows `stride` bytes apart, top row first -- the
// layout of a ZPixmap on a 24-bit TrueColor visual. Transparent parts show
// the background that the picture was opened with, so every pixel is opaque.
struct PictureFrame {
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes
  std::vector<std::uint32_t> pixels;
};

inline constexpr int kLoopForever = 0;
inline constexpr int kNoLoopExtension = -1;

// A picture opened for showing. It owns its copy of the file's bytes, so
// rendering again at another size needs nothing from the caller.
class PictureDecoder {
 public:
  virtual ~PictureDecoder() = default;

  const PictureInfo& Info() const { return info_; }
  // 1 for still pictures. For a GIF, the frames found when it was opened.
  virtual int FrameCount() const { return 1; }
  // How long frame `index` stays on screen; 0 for still pictures. Delays of
  // 10 ms or less are given as 100 ms, as browsers play them.
  virtual int FrameDelayMs(int /*index*/) const { return 0; }
  // kLoopForever, the number of repeats the file asks for, or
  // kNoLoopExtension (shown once) for a GIF without a loop extension and for
  // still pictures.
  virtual int LoopCount() const { return kNoLoopExtension; }

  // Frame `index` (0 .. FrameCount() - 1) stretched to the whole output size.
  // Empty when the index or the size is out of bounds (a side below 1 or
  // beyond PictureLimits), the picture can't be decoded at all, or memory
  // runs out. An animation goes on from the frame it shows: asking for that
  // frame again or for the next costs one frame's work; an earlier frame
  // recomposes from the first.
  std::optional<PictureFrame> RenderFrame(int index, int outWidth, int outHeight);

 protected:
  PictureDecoder(PictureInfo info, const PictureLimits& limits, Rgb background)
      : info_(info), limits_(limits), background_(background) {}
  // Called with an index and a size already checked.
  virtual std::optional<PictureFrame> Render(int index, int outWidth, int outHeight) = 0;

  PictureInfo info_;
  PictureLimits limits_;
  Rgb background_;
};

// Null when the bytes are no picture this module knows, or its header is
// damaged or beyond `limits`. `background` shows through transparent and
// undecodable parts: the picture box's own colour, kButtonFace.
std::unique_ptr<PictureDecoder> OpenPicture(ByteData bytes, Rgb background,
                                            const PictureLimits& limits = {});

}  // namespace platform::image
