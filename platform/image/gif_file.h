// A giflib decoder reading from a ByteReader, closed when it goes. giflib
// reports errors by return value, so no jumps are involved here.
#pragma once

#include <memory>

#include <gif_lib.h>

#include "platform/image/byte_reader.h"

namespace platform::image {

struct GifCloser {
  void operator()(GifFileType* gif) const;
};
using GifFile = std::unique_ptr<GifFileType, GifCloser>;

// Reads the header, the logical screen and the global colour table; null
// when they are not there. `reader` must outlive the file.
GifFile OpenGifFile(ByteReader& reader);

// Passes over a frame's compressed pixels; false when the file ends first.
bool SkipImageData(GifFileType* gif);

}  // namespace platform::image
