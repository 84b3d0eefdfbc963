// A forward-only source of bytes for the picture libraries' input callbacks:
// a block in memory, or a file read a piece at a time so that measuring a
// large file never loads it whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace platform::image {

class ByteReader {
 public:
  virtual ~ByteReader() = default;
  // Up to `size` bytes into `out`; fewer only at the end or on an error.
  virtual std::size_t Read(std::uint8_t* out, std::size_t size) = 0;
  // Passes over `count` bytes; false when the end came first.
  virtual bool Skip(std::uint64_t count) = 0;
};

class SpanReader final : public ByteReader {
 public:
  explicit SpanReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t Read(std::uint8_t* out, std::size_t size) override;
  bool Skip(std::uint64_t count) override;

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

}  // namespace platform::image
