#include <memory>

#include "platform/image/format_decoders.h"
#include "platform/image/jpeg_session.h"

namespace platform::image {

std::optional<PictureInfo> ProbeJpeg(ByteReader& reader, const PictureLimits& limits) {
  const auto session = std::make_unique<JpegSession>(reader, limits);
  if (setjmp(session->jump)) return std::nullopt;
  session->ReadHeader();
  return PictureInfo{PictureFormat::Jpeg, static_cast<int>(session->info.image_width),
                     static_cast<int>(session->info.image_height)};
}

}  // namespace platform::image
