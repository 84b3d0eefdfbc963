#include "platform/image/byte_reader.h"

#include <algorithm>
#include <cstring>

namespace platform::image {

std::size_t SpanReader::Read(std::uint8_t* out, std::size_t size) {
  const std::size_t count = std::min(size, bytes_.size() - position_);
  if (count > 0) std::memcpy(out, bytes_.data() + position_, count);
  position_ += count;
  return count;
}

bool SpanReader::Skip(std::uint64_t count) {
  const std::size_t left = bytes_.size() - position_;
  if (count > left) {
    position_ = bytes_.size();
    return false;
  }
  position_ += static_cast<std::size_t>(count);
  return true;
}

}  // namespace platform::image
