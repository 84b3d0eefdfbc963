#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "platform/image/format_decoders.h"
#include "platform/image/gif_file.h"
#include "platform/image/gif_frames.h"
#include "platform/image/pixels.h"
#include "platform/image/row_scaler.h"

namespace platform::image {

namespace {

// A palette entry that lets the canvas show through; no real colour has a
// zero top byte.
constexpr std::uint32_t kTransparent = 0;

struct Rect {
  int left, top, right, bottom;  // right and bottom exclusive
  bool Empty() const { return left >= right || top >= bottom; }
};

// The row of the picture that the i-th stored row of an interlaced frame
// fills: every 8th row from 0, every 8th from 4, every 4th from 2, then
// every 2nd from 1.
int InterlacedRow(int stored, int height) {
  static constexpr int kStart[] = {0, 4, 2, 1};
  static constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    const int rows = height > kStart[pass] ? (height - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
    if (stored < rows) return kStart[pass] + stored * kStep[pass];
    stored -= rows;
  }
  return height;
}

bool SkipExtension(GifFileType* gif) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
  while (block) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  }
  return true;
}

// Composes the frames on a canvas of the logical screen's size, one after
// the other, the way they are played: each frame's disposal is carried out
// before the next is drawn. The canvas holds final colours; what no frame
// covers, or a disposal clears, shows the background.
class GifDecoder final : public PictureDecoder {
 public:
  GifDecoder(ByteData bytes, PictureInfo info, const PictureLimits& limits, Rgb background,
             GifAnimation animation)
      : PictureDecoder(info, limits, background),
        bytes_(std::move(bytes)),
        animation_(std::move(animation)),
        reader_(bytes_) {}

  int FrameCount() const override { return static_cast<int>(animation_.frames.size()); }
  int FrameDelayMs(int index) const override {
    return index >= 0 && index < FrameCount() ? animation_.frames[index].delayMs : 0;
  }
  int LoopCount() const override { return animation_.loopCount; }

 protected:
  std::optional<PictureFrame> Render(int index, int outWidth, int outHeight) override {
    if (index < composed_) Restart();
    while (composed_ < index) ComposeNext();
    RowScaler scaler(info_.width, info_.height, outWidth, outHeight, background_);
    for (int y = 0; y < info_.height; ++y) {
      scaler.AddRow(y, &canvas_[static_cast<std::size_t>(y) * info_.width]);
    }
    return scaler.Finish();
  }

 private:
  void Restart() {
    reader_ = SpanReader(bytes_);
    file_ = OpenGifFile(reader_);
    canvas_.assign(static_cast<std::size_t>(info_.width) * info_.height, PackXrgb(background_));
    composed_ = -1;
  }

  Rect Clipped(int left, int top, int width, int height) const {
    return Rect{std::clamp(left, 0, info_.width), std::clamp(top, 0, info_.height),
                std::clamp(left + width, 0, info_.width), std::clamp(top + height, 0, info_.height)};
  }
  Rect Clipped(const GifFrameRecord& frame) const {
    return Clipped(frame.left, frame.top, frame.width, frame.height);
  }

  void ComposeNext() {
    if (composed_ < 0 && canvas_.empty()) Restart();
    if (composed_ >= 0) Dispose(animation_.frames[composed_]);
    ++composed_;
    const GifFrameRecord& frame = animation_.frames[composed_];
    if (frame.disposal == DISPOSE_PREVIOUS) Save(Clipped(frame));
    // Past damage the file can't be read on; later frames keep the canvas.
    if (file_ && !DrawFrame(frame)) file_.reset();
  }

  void Dispose(const GifFrameRecord& frame) {
    const Rect rect = Clipped(frame);
    if (rect.Empty()) return;
    if (frame.disposal == DISPOSE_BACKGROUND) {
      for (int y = rect.top; y < rect.bottom; ++y) {
        std::uint32_t* row = &canvas_[static_cast<std::size_t>(y) * info_.width];
        std::fill(row + rect.left, row + rect.right, PackXrgb(background_));
      }
    } else if (frame.disposal == DISPOSE_PREVIOUS) {
      const int width = rect.right - rect.left;
      for (int y = rect.top; y < rect.bottom; ++y) {
        std::copy_n(&saved_[static_cast<std::size_t>(y - rect.top) * width], width,
                    &canvas_[static_cast<std::size_t>(y) * info_.width + rect.left]);
      }
    }
  }

  void Save(const Rect& rect) {
    saved_.clear();
    for (int y = rect.top; y < rect.bottom; ++y) {
      const std::uint32_t* row = &canvas_[static_cast<std::size_t>(y) * info_.width];
      saved_.insert(saved_.end(), row + rect.left, row + rect.right);
    }
  }

  // Reads on to the next image and draws it; false on damage, after drawing
  // the rows that came before it.
  bool DrawFrame(const GifFrameRecord& record) {
    GifFileType* gif = file_.get();
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    do {
      if (DGifGetRecordType(gif, &type) == GIF_ERROR) return false;
      if (type == EXTENSION_RECORD_TYPE && !SkipExtension(gif)) return false;
    } while (type == EXTENSION_RECORD_TYPE);
    if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif) == GIF_ERROR) return false;
    const GifImageDesc& image = gif->Image;
    if (image.Width <= 0 || image.Height <= 0) return SkipImageData(gif);

    std::array<std::uint32_t, 256> colours;
    colours.fill(PackXrgb(0, 0, 0));
    if (const ColorMapObject* map = image.ColorMap ? image.ColorMap : gif->SColorMap) {
      const int count = std::min(map->ColorCount, 256);
      for (int i = 0; i < count; ++i) {
        colours[i] = PackXrgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
      }
    }
    if (record.transparentIndex >= 0 && record.transparentIndex < 256) {
      colours[record.transparentIndex] = kTransparent;
    }

    line_.resize(static_cast<std::size_t>(image.Width));
    const Rect rect = Clipped(image.Left, image.Top, image.Width, image.Height);
    for (int stored = 0; stored < image.Height; ++stored) {
      if (DGifGetLine(gif, line_.data(), image.Width) == GIF_ERROR) return false;
      const int y = image.Top + (image.Interlace ? InterlacedRow(stored, image.Height) : stored);
      if (y < rect.top || y >= rect.bottom) continue;
      std::uint32_t* row = &canvas_[static_cast<std::size_t>(y) * info_.width];
      for (int x = rect.left; x < rect.right; ++x) {
        const std::uint32_t colour = colours[line_[x - image.Left]];
        if (colour != kTransparent) row[x] = colour;
      }
    }
    return true;
  }

  ByteData bytes_;
  GifAnimation animation_;
  SpanReader reader_;
  GifFile file_;
  std::vector<std::uint32_t> canvas_;
  std::vector<std::uint32_t> saved_;  // the area under a frame that restores it
  std::vector<GifPixelType> line_;
  int composed_ = -1;  // the frame the canvas shows
};

}  // namespace

std::unique_ptr<PictureDecoder> OpenGif(ByteData bytes, PictureInfo info,
                                        const PictureLimits& limits, Rgb background) {
  if (std::int64_t{info.width} * info.height > limits.maxGifCanvasPixels) return nullptr;
  GifAnimation animation = ScanGif(bytes, limits);
  if (animation.frames.empty()) return nullptr;
  return std::make_unique<GifDecoder>(std::move(bytes), info, limits, background,
                                      std::move(animation));
}

}  // namespace platform::image
