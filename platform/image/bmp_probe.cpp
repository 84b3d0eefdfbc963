#include <array>

#include "platform/image/bmp_header.h"
#include "platform/image/format_decoders.h"

namespace platform::image {

std::optional<PictureInfo> ProbeBmp(ByteReader& reader) {
  std::array<std::uint8_t, kBmpHeadersSize> leading{};
  const std::size_t count = reader.Read(leading.data(), leading.size());
  const auto header = ParseBmpHeader(std::span(leading.data(), count));
  if (!header) return std::nullopt;
  return PictureInfo{PictureFormat::Bmp, header->width, header->height};
}

}  // namespace platform::image
