// Measuring a picture handed over as its bytes or as the bytes of its file
// name. The order of decisions is the routine's contract: the bytes are read
// as text, a file test on that text picks the file or the bytes, and any
// failure measures 0.
#include "support/image_size.h"

#include <cstring>
#include <vector>

#include "platform/system.h"

namespace {

constexpr int kWideCodePage = 936;
constexpr std::uint32_t kDirectory = platform::kDirectoryAttribute;

int Measure(const ByteData& picture, platform::Dimension which) {
  const Text text = AsText(picture);
  if (FileExists(text)) return platform::MeasurePictureFile(ToWideText(text), which);
  return platform::MeasurePictureBytes(picture, which);
}

// The UTF-16 units of wide text, aligned for the system call.
std::vector<char16_t> Units(const ByteData& wide) {
  std::vector<char16_t> units(wide.size() / 2);
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(wide[i * 2] | wide[i * 2 + 1] << 8);
  }
  return units;
}

}  // namespace

int GetImageHeight(const ByteData& picture) { return Measure(picture, platform::Dimension::Height); }

int GetImageWidth(const ByteData& picture) { return Measure(picture, platform::Dimension::Width); }

ByteData BytesToWide(const ByteData& bytes, int codePage) {
  Text terminated(bytes.begin(), bytes.end());
  if (platform::TextLength(terminated.c_str()) == 0) return {};
  const int needed = platform::MultiByteToWideChar(codePage, terminated.c_str(), nullptr, 0);
  if (needed <= 0) return {};
  std::vector<char16_t> units(static_cast<std::size_t>(needed));
  const int written = platform::MultiByteToWideChar(codePage, terminated.c_str(), units.data(), needed);
  ByteData wide(static_cast<std::size_t>(needed) * 2, 0);
  for (int i = 0; i < written && i < needed; ++i) {
    wide[i * 2] = static_cast<std::uint8_t>(units[i] & 0xFF);
    wide[i * 2 + 1] = static_cast<std::uint8_t>(units[i] >> 8);
  }
  return wide;
}

ByteData ToWideText(const Text& text, bool trim) {
  ByteData wide = BytesToWide(ByteData(text.begin(), text.end()), kWideCodePage);
  if (!trim) return wide;
  if (wide.size() < 2) return {};
  std::size_t end = 0;
  while (end + 2 <= wide.size() && (wide[end] | wide[end + 1]) != 0) end += 2;
  wide.resize(end);
  return wide;
}

bool FileExists(const Text& path) {
  const ByteData name = ToWideText(path);
  const std::vector<char16_t> units = Units(name);
  std::uint32_t attributes = 0;
  if (!platform::FindFirstFileW(units.empty() ? nullptr : units.data(), &attributes)) return false;
  return (attributes & kDirectory) == 0;
}
