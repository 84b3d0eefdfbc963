#include <bit>
#include <memory>
#include <vector>

#include "platform/image/format_decoders.h"
#include "platform/image/jpeg_session.h"
#include "platform/image/pixels.h"
#include "platform/image/row_scaler.h"

namespace platform::image {

namespace {

// Everything one decode holds, made before the setjmp so the longjmp of a
// libjpeg error passes over no C++ frame.
struct JpegRun {
  JpegRun(std::span<const std::uint8_t> bytes, const PictureLimits& limits)
      : reader(bytes), session(reader, limits) {}
  SpanReader reader;
  JpegSession session;
  std::unique_ptr<RowScaler> scaler;
  std::vector<JSAMPLE> samples;
  std::vector<std::uint32_t> row;
};

// libjpeg-turbo writes the pixman layout itself: B, G, R, X bytes are the
// word 0xXXRRGGBB on a little-endian machine.
constexpr J_COLOR_SPACE kXrgbSpace =
    std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;

// The smallest DCT scale (eighths) that still gives at least the output
// size: the cheapest decode that loses nothing on screen.
void ChooseScale(jpeg_decompress_struct& info, int outWidth, int outHeight) {
  info.scale_denom = 8;
  for (unsigned eighths = 1; eighths <= 8; ++eighths) {
    info.scale_num = eighths;
    jpeg_calc_output_dimensions(&info);
    if (info.output_width >= static_cast<JDIMENSION>(outWidth) &&
        info.output_height >= static_cast<JDIMENSION>(outHeight)) {
      return;
    }
  }
}

void CmykToXrgb(const JSAMPLE* cmyk, std::uint32_t* out, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
    // Adobe writes CMYK inverted; then 255 - value is the ink.
    std::uint32_t c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    out[x] = PackXrgb(c * k / 255, m * k / 255, y * k / 255);
  }
}

// True when decoding got as far as the first row; rows after an error keep
// the background.
bool Decode(JpegRun& run, int outWidth, int outHeight, Rgb background) {
  jpeg_decompress_struct& info = run.session.info;
  if (setjmp(run.session.jump)) return run.scaler != nullptr;
  run.session.ReadHeader();
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : kXrgbSpace;
  ChooseScale(info, outWidth, outHeight);
  jpeg_start_decompress(&info);
  run.scaler = std::make_unique<RowScaler>(static_cast<int>(info.output_width),
                                           static_cast<int>(info.output_height), outWidth,
                                           outHeight, background);
  run.row.resize(info.output_width);
  if (cmyk) run.samples.resize(static_cast<std::size_t>(info.output_width) * 4);
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW rows[1] = {cmyk ? run.samples.data() : reinterpret_cast<JSAMPLE*>(run.row.data())};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    if (cmyk) CmykToXrgb(run.samples.data(), run.row.data(), info.output_width, info.saw_Adobe_marker);
    run.scaler->AddRow(y, run.row.data());
  }
  return true;
}


}  // namespace

std::unique_ptr<PictureDecoder> OpenJpeg(ByteData bytes, PictureInfo info,
                                         const PictureLimits& limits, Rgb background) {
  return std::make_unique<StillPictureDecoder<JpegRun, Decode>>(std::move(bytes), info, limits,
                                                             background);
}

}  // namespace platform::image
