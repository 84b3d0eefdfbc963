#include <new>

#include "platform/image/format_decoders.h"
#include "platform/image/picture.h"

namespace platform::image {

std::optional<PictureFrame> PictureDecoder::RenderFrame(int index, int outWidth, int outHeight) {
  if (index < 0 || index >= FrameCount()) return std::nullopt;
  if (outWidth < 1 || outHeight < 1 || outWidth > limits_.maxOutputSide ||
      outHeight > limits_.maxOutputSide ||
      std::int64_t{outWidth} * outHeight > limits_.maxOutputPixels) {
    return std::nullopt;
  }
  try {
    return Render(index, outWidth, outHeight);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

std::unique_ptr<PictureDecoder> OpenPicture(ByteData bytes, Rgb background,
                                            const PictureLimits& limits) {
  const auto info = ProbePicture(bytes, limits);
  if (!info || std::int64_t{info->width} * info->height > limits.maxSourcePixels) return nullptr;
  try {
    switch (info->format) {
      case PictureFormat::Jpeg: return OpenJpeg(std::move(bytes), *info, limits, background);
      case PictureFormat::Png: return OpenPng(std::move(bytes), *info, limits, background);
      case PictureFormat::Gif: return OpenGif(std::move(bytes), *info, limits, background);
      case PictureFormat::Bmp: return OpenBmp(std::move(bytes), *info, limits, background);
    }
  } catch (const std::bad_alloc&) {
  }
  return nullptr;
}

}  // namespace platform::image
