// The header probe over bytes and over a reader: neither may crash, and the
// two must agree.
#include <cstdlib>

#include "platform/image/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace platform::image;
  const std::span<const std::uint8_t> bytes(data, size);
  const auto fromBytes = ProbePicture(bytes);
  SpanReader reader(bytes);
  const auto fromReader = ProbePicture(reader);
  if (fromBytes != fromReader) std::abort();
  if (fromBytes && (fromBytes->width < 1 || fromBytes->height < 1)) std::abort();
  return 0;
}
