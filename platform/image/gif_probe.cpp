#include "platform/image/format_decoders.h"
#include "platform/image/gif_file.h"

namespace platform::image {

std::optional<PictureInfo> ProbeGif(ByteReader& reader) {
  const GifFile gif = OpenGifFile(reader);
  if (!gif) return std::nullopt;
  return PictureInfo{PictureFormat::Gif, gif->SWidth, gif->SHeight};
}

}  // namespace platform::image
