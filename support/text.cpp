#include "support/text.h"

#include <algorithm>

Text AsText(const ByteData& bytes) {
  auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return Text(bytes.begin(), end);
}
