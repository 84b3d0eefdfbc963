#include "platform/image/png_session.h"

namespace platform::image {

namespace {

// Chunks that change nothing in what the picture box shows. Handled as
// unknown chunks they are passed over, not decompressed (text, ICC profiles)
// nor kept.
constexpr png_byte kIgnoredChunks[] =
    "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0pHYs\0sBIT\0sCAL\0sPLT\0sRGB\0"
    "tEXt\0tIME\0zTXt";
constexpr int kIgnoredChunkCount = 17;

// Ancillary chunks are capped at this size; image data isn't subject to it.
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;

constexpr png_size_t kImageDataPiece = 1024;

PngSession& SessionOf(png_structp png) { return *static_cast<PngSession*>(png_get_error_ptr(png)); }

[[noreturn]] void OnError(png_structp png, png_const_charp) { std::longjmp(SessionOf(png).jump, 1); }

void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep out, png_size_t size) {
  auto* session = static_cast<PngSession*>(png_get_io_ptr(png));
  if (session->reader.Read(out, size) != size) png_error(png, "the data ends early");
}

}  // namespace

PngSession::PngSession(ByteReader& reader, const PictureLimits& limits)
    : reader(reader), limits(limits) {}

PngSession::~PngSession() { png_destroy_read_struct(&png, &info, nullptr); }

bool PngSession::ReadInfo() {
  png = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, OnError, OnWarning);
  if (!png) return false;
  info = png_create_info_struct(png);
  if (!info) return false;
  png_set_read_fn(png, this, ReadBytes);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks, kIgnoredChunkCount);
  png_set_user_limits(png, static_cast<png_uint_32>(limits.maxSourceSide),
                      static_cast<png_uint_32>(limits.maxSourceSide));
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  // Damage that doesn't touch the pixels (a bad checksum in a chunk we
  // don't use, trailing data) is a warning, not a reason to show nothing.
  png_set_benign_errors(png, 1);
  // On a read struct this is how much image data libpng asks for at a time
  // (8 KB by default): smaller pieces lose fewer rows when a file is cut.
  png_set_compression_buffer_size(png, kImageDataPiece);
  // Checksums guard transfers, not pictures: a damaged file shows what it
  // holds, and skipping the zlib one saves a few percent of every decode.
  png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
  png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  png_read_info(png, info);
  return true;
}

}  // namespace platform::image
