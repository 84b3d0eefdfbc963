// One libpng read over a ByteReader, with errors that come back to the
// caller. libpng's error callback must not return; ours longjmps to the
// setjmp of the function that drives the session, which keeps its C++
// objects in the session (made before the setjmp) so the jump passes over
// libpng's own C frames only.
#pragma once

#include <csetjmp>

#include <png.h>

#include "platform/image/byte_reader.h"
#include "platform/image/picture.h"

namespace platform::image {

struct PngSession {
  PngSession(ByteReader& reader, const PictureLimits& limits);
  ~PngSession();
  PngSession(const PngSession&) = delete;
  PngSession& operator=(const PngSession&) = delete;

  // Creates the reader and reads every chunk before the image data. Call
  // only after setjmp(jump) returned 0. False when libpng can't be set up.
  bool ReadInfo();

  png_structp png = nullptr;
  png_infop info = nullptr;
  std::jmp_buf jump{};
  ByteReader& reader;
  const PictureLimits& limits;
};

}  // namespace platform::image
