// One libjpeg decompression over a ByteReader, with errors that come back to
// the caller instead of ending the process.
//
// libjpeg reports a fatal error by calling error_exit, which must not
// return; ours longjmps to the setjmp of the function that drives the
// session. That function must keep its C++ objects in the session (created
// before the setjmp), so the jump passes over libjpeg's own C frames only.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

#include "platform/image/byte_reader.h"
#include "platform/image/picture.h"

namespace platform::image {

struct JpegSession {
  JpegSession(ByteReader& reader, const PictureLimits& limits);
  ~JpegSession();
  JpegSession(const JpegSession&) = delete;
  JpegSession& operator=(const JpegSession&) = delete;

  // Creates the decompressor and reads the header. Call only after
  // setjmp(jump) returned 0: errors land there.
  void ReadHeader();

  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  jpeg_source_mgr source{};
  jpeg_progress_mgr progress{};
  std::jmp_buf jump{};
  ByteReader& reader;
  const PictureLimits& limits;
  bool created = false;
  bool sourceEnded = false;
  JOCTET buffer[4096];
};

}  // namespace platform::image
