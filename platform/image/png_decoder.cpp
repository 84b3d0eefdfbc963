#include <bit>
#include <memory>
#include <vector>

#include "platform/image/format_decoders.h"
#include "platform/image/pixels.h"
#include "platform/image/png_session.h"
#include "platform/image/row_scaler.h"

namespace platform::image {

namespace {

// Everything one decode holds, made before the setjmp so the longjmp of a
// libpng error passes over no C++ frame.
struct PngRun {
  PngRun(std::span<const std::uint8_t> bytes, const PictureLimits& limits)
      : reader(bytes), session(reader, limits) {}
  SpanReader reader;
  PngSession session;
  std::unique_ptr<RowScaler> scaler;
  std::vector<std::uint32_t> row;
};

// Every colour type and depth becomes 8-bit straight-alpha words 0xAARRGGBB.
void AskForArgb(png_structp png, png_infop info) {
  const png_byte colourType = png_get_color_type(png, info);
  png_set_expand(png);  // palette and low depths to 8 bits, tRNS to alpha
  png_set_scale_16(png);
  if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
  if constexpr (std::endian::native == std::endian::little) {
    png_set_bgr(png);
    if (!(colourType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS)) {
      png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
  } else {
    png_set_swap_alpha(png);
    if (!(colourType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS)) {
      png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
    }
  }
}

void BlendRow(std::uint32_t* row, int count, Rgb background) {
  for (int x = 0; x < count; ++x) row[x] = BlendOver(row[x], background);
}

// Adam7 hands its seven passes over one after the other, each a smaller
// picture whose pixels lie spread over the whole; the scaler gathers them
// where they belong, so the full picture is never held.
void ReadInterlaced(PngRun& run, int width, int height, Rgb background) {
  png_structp png = run.session.png;
  for (int pass = 0; pass < 7; ++pass) {
    const int columns = static_cast<int>(PNG_PASS_COLS(width, pass));
    const int rows = static_cast<int>(PNG_PASS_ROWS(height, pass));
    if (columns == 0 || rows == 0) continue;  // libpng skips empty passes too
    for (int passRow = 0; passRow < rows; ++passRow) {
      png_read_row(png, reinterpret_cast<png_bytep>(run.row.data()), nullptr);
      BlendRow(run.row.data(), columns, background);
      run.scaler->AddScattered(static_cast<int>(PNG_ROW_FROM_PASS_ROW(passRow, pass)),
                               static_cast<int>(PNG_PASS_START_COL(pass)),
                               1 << PNG_PASS_COL_SHIFT(pass), run.row.data(), columns);
    }
  }
}

// True when decoding got as far as the first row; rows after an error keep
// the background.
bool Decode(PngRun& run, int outWidth, int outHeight, Rgb background) {
  if (setjmp(run.session.jump)) return run.scaler != nullptr;
  if (!run.session.ReadInfo()) return false;
  png_structp png = run.session.png;
  png_infop info = run.session.info;
  const int width = static_cast<int>(png_get_image_width(png, info));
  const int height = static_cast<int>(png_get_image_height(png, info));
  AskForArgb(png, info);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * 4) return false;
  run.row.resize(static_cast<std::size_t>(width));
  run.scaler = std::make_unique<RowScaler>(width, height, outWidth, outHeight, background);
  if (png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7) {
    ReadInterlaced(run, width, height, background);
    return true;
  }
  for (int y = 0; y < height; ++y) {
    png_read_row(png, reinterpret_cast<png_bytep>(run.row.data()), nullptr);
    BlendRow(run.row.data(), width, background);
    run.scaler->AddRow(y, run.row.data());
  }
  return true;
}


}  // namespace

std::unique_ptr<PictureDecoder> OpenPng(ByteData bytes, PictureInfo info,
                                        const PictureLimits& limits, Rgb background) {
  return std::make_unique<StillPictureDecoder<PngRun, Decode>>(std::move(bytes), info, limits,
                                                             background);
}

}  // namespace platform::image
