#include <memory>

#include "platform/image/format_decoders.h"
#include "platform/image/png_session.h"

namespace platform::image {

std::optional<PictureInfo> ProbePng(ByteReader& reader, const PictureLimits& limits) {
  const auto session = std::make_unique<PngSession>(reader, limits);
  if (setjmp(session->jump)) return std::nullopt;
  if (!session->ReadInfo()) return std::nullopt;
  return PictureInfo{PictureFormat::Png,
                     static_cast<int>(png_get_image_width(session->png, session->info)),
                     static_cast<int>(png_get_image_height(session->png, session->info))};
}

}  // namespace platform::image
