#include <algorithm>
#include <array>
#include <cstring>

#include "platform/image/format_decoders.h"
#include "platform/image/picture.h"

namespace platform::image {

namespace {

constexpr std::size_t kSignatureSize = 8;

bool StartsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> signature) {
  return bytes.size() >= signature.size() &&
         std::equal(signature.begin(), signature.end(), bytes.begin());
}

// Hands back the bytes taken to recognise the format before the rest, so a
// format's probe reads its file from the start.
class ReplayReader final : public ByteReader {
 public:
  ReplayReader(std::span<const std::uint8_t> leading, ByteReader& rest)
      : leading_(leading), rest_(rest) {}

  std::size_t Read(std::uint8_t* out, std::size_t size) override {
    const std::size_t replayed = leading_.Read(out, size);
    if (replayed == size) return replayed;
    return replayed + rest_.Read(out + replayed, size - replayed);
  }

  bool Skip(std::uint64_t count) override {
    std::array<std::uint8_t, kSignatureSize> ignored;
    const std::size_t replayed = leading_.Read(ignored.data(), std::min<std::uint64_t>(count, ignored.size()));
    return count == replayed || rest_.Skip(count - replayed);
  }

 private:
  SpanReader leading_;
  ByteReader& rest_;
};

}  // namespace

std::optional<PictureFormat> RecogniseFormat(std::span<const std::uint8_t> leading) {
  static constexpr std::uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF};
  static constexpr std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  static constexpr std::uint8_t kGif87[] = {'G', 'I', 'F', '8', '7', 'a'};
  static constexpr std::uint8_t kGif89[] = {'G', 'I', 'F', '8', '9', 'a'};
  static constexpr std::uint8_t kBmp[] = {'B', 'M'};
  if (StartsWith(leading, kJpeg)) return PictureFormat::Jpeg;
  if (StartsWith(leading, kPng)) return PictureFormat::Png;
  if (StartsWith(leading, kGif87) || StartsWith(leading, kGif89)) return PictureFormat::Gif;
  if (StartsWith(leading, kBmp)) return PictureFormat::Bmp;
  return std::nullopt;
}

std::optional<PictureInfo> ProbePicture(ByteReader& reader, const PictureLimits& limits) {
  std::array<std::uint8_t, kSignatureSize> leading{};
  const std::size_t count = reader.Read(leading.data(), leading.size());
  const auto format = RecogniseFormat(std::span(leading.data(), count));
  if (!format) return std::nullopt;

  ReplayReader whole(std::span(leading.data(), count), reader);
  std::optional<PictureInfo> info;
  switch (*format) {
    case PictureFormat::Jpeg: info = ProbeJpeg(whole, limits); break;
    case PictureFormat::Png: info = ProbePng(whole, limits); break;
    case PictureFormat::Gif: info = ProbeGif(whole); break;
    case PictureFormat::Bmp: info = ProbeBmp(whole); break;
  }
  if (!info || info->width < 1 || info->height < 1 || info->width > limits.maxSourceSide ||
      info->height > limits.maxSourceSide) {
    return std::nullopt;
  }
  return info;
}

std::optional<PictureInfo> ProbePicture(std::span<const std::uint8_t> bytes,
                                        const PictureLimits& limits) {
  SpanReader reader(bytes);
  return ProbePicture(reader, limits);
}

}  // namespace platform::image
