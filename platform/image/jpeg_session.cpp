#include "platform/image/jpeg_session.h"

#include <jerror.h>

namespace platform::image {

namespace {

JpegSession& SessionOf(j_common_ptr info) { return *static_cast<JpegSession*>(info->client_data); }

[[noreturn]] void ErrorExit(j_common_ptr info) { std::longjmp(SessionOf(info).jump, 1); }

// Damaged files raise warnings by the hundred; nobody is there to read them.
void OutputMessage(j_common_ptr) {}

void InitSource(j_decompress_ptr) {}

void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info) {
  JpegSession& session = SessionOf(reinterpret_cast<j_common_ptr>(info));
  std::size_t count = 0;
  if (!session.sourceEnded) count = session.reader.Read(session.buffer, sizeof session.buffer);
  if (count == 0) {
    // Data that ends early gets an end-of-image marker, as libjpeg's own file
    // source does: the rows decoded so far stand and the rest come out grey.
    WARNMS(info, JWRN_JPEG_EOF);
    session.buffer[0] = 0xFF;
    session.buffer[1] = JPEG_EOI;
    count = 2;
    session.sourceEnded = true;
  }
  info->src->next_input_byte = session.buffer;
  info->src->bytes_in_buffer = count;
  return TRUE;
}

// Markers that libjpeg doesn't keep (EXIF, ICC, comments) are skipped here;
// on a file that means no reading at all.
void SkipInputData(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* source = info->src;
  const auto wanted = static_cast<std::uint64_t>(count);
  if (wanted <= source->bytes_in_buffer) {
    source->next_input_byte += wanted;
    source->bytes_in_buffer -= static_cast<std::size_t>(wanted);
    return;
  }
  const std::uint64_t rest = wanted - source->bytes_in_buffer;
  source->bytes_in_buffer = 0;
  JpegSession& session = SessionOf(reinterpret_cast<j_common_ptr>(info));
  if (!session.reader.Skip(rest)) session.sourceEnded = true;
}

// A progressive file can hold thousands of scans that each revisit the whole
// picture; a real one has a dozen or so.
void WatchProgress(j_common_ptr info) {
  if (!info->is_decompressor) return;
  const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > SessionOf(info).limits.maxJpegScans) ErrorExit(info);
}

}  // namespace

JpegSession::JpegSession(ByteReader& reader, const PictureLimits& limits)
    : reader(reader), limits(limits) {
  info.err = jpeg_std_error(&errors);
  errors.error_exit = ErrorExit;
  errors.output_message = OutputMessage;
  info.client_data = this;
}

JpegSession::~JpegSession() {
  if (created) jpeg_destroy_decompress(&info);
}

void JpegSession::ReadHeader() {
  created = true;  // destroying a half-made decompressor is safe
  jpeg_create_decompress(&info);
  // libjpeg-turbo's memory manager refuses whole-image buffers beyond this
  // instead of allocating them.
  info.mem->max_memory_to_use = static_cast<long>(limits.maxJpegMemory);
  source.init_source = InitSource;
  source.fill_input_buffer = FillInputBuffer;
  source.skip_input_data = SkipInputData;
  source.resync_to_restart = jpeg_resync_to_restart;
  source.term_source = TermSource;
  info.src = &source;
  progress.progress_monitor = WatchProgress;
  info.progress = &progress;
  jpeg_read_header(&info, TRUE);
}

}  // namespace platform::image
