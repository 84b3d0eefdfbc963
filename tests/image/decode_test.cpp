#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <gtest/gtest.h>
#include <jpeglib.h>

#include "tests/image/frame_checks.h"

namespace {

using fixtures::PixelSource;
using fixtures::Rgba;
using image_test::AllNear;
using image_test::At;
using image_test::Colour;
using image_test::kBackground;
using image_test::Near;
using image_test::Of;
using platform::image::OpenPicture;
using platform::image::PictureLimits;

using Writer = std::function<ByteData(int, int, const PixelSource&)>;

struct FormatCase {
  const char* name;
  Writer write;
  int tolerance;  // JPEG is lossy
};

const FormatCase kFormats[] = {
    {"png", [](int w, int h, const PixelSource& p) { return fixtures::WritePng(w, h, p); }, 0},
    {"interlaced png",
     [](int w, int h, const PixelSource& p) { return fixtures::WritePng(w, h, p, false, true); }, 0},
    {"jpeg", [](int w, int h, const PixelSource& p) { return fixtures::WriteJpeg(w, h, p, 95); }, 6},
    {"progressive jpeg",
     [](int w, int h, const PixelSource& p) { return fixtures::WriteJpeg(w, h, p, 95, true); }, 6},
    {"bmp", [](int w, int h, const PixelSource& p) { return fixtures::WriteBmp(w, h, p); }, 0},
    {"gif",
     [](int w, int h, const PixelSource& p) { return fixtures::WriteSolidGif(w, h, p(0, 0)); }, 0},
};

struct Size {
  int width, height;
};

TEST(RenderFrame, EachFormatShowsItsColourAtAnySize) {
  const Rgba colour{200, 30, 90};
  // Same size, shrunk a little, shrunk a lot (JPEG's DCT scaling and block
  // averaging), stretched, and stretched one way while shrunk the other.
  const Size sizes[] = {{64, 48}, {50, 40}, {7, 5}, {300, 200}, {10, 100}};
  for (const FormatCase& format : kFormats) {
    const auto decoder = OpenPicture(format.write(64, 48, fixtures::Solid(colour)), kBackground);
    ASSERT_TRUE(decoder) << format.name;
    EXPECT_EQ(decoder->Info().width, 64);
    EXPECT_EQ(decoder->Info().height, 48);
    for (const Size size : sizes) {
      const auto frame = decoder->RenderFrame(0, size.width, size.height);
      ASSERT_TRUE(frame) << format.name;
      ASSERT_EQ(frame->width, size.width);
      ASSERT_EQ(frame->height, size.height);
      ASSERT_EQ(frame->stride, size.width * 4);
      EXPECT_TRUE(AllNear(*frame, Of(colour), format.tolerance))
          << format.name << " at " << size.width << "x" << size.height;
    }
  }
}

// Four quarters of different colours: a picture that is flipped, mirrored or
// shifted shows it at once.
TEST(RenderFrame, EachFormatKeepsItsOrientation) {
  const Rgba red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, white{255, 255, 255};
  const PixelSource quarters = [&](int x, int y) {
    return y < 32 ? (x < 32 ? red : green) : (x < 32 ? blue : white);
  };
  for (const FormatCase& format : kFormats) {
    if (std::string(format.name) == "gif") continue;  // one colour per fixture
    const auto decoder = OpenPicture(format.write(64, 64, quarters), kBackground);
    ASSERT_TRUE(decoder) << format.name;
    for (const Size size : {Size{64, 64}, Size{16, 16}, Size{200, 200}}) {
      const auto frame = decoder->RenderFrame(0, size.width, size.height);
      ASSERT_TRUE(frame);
      const int near = size.width / 8, far = size.width - 1 - size.width / 8;
      EXPECT_TRUE(Near(At(*frame, near, near), Of(red), format.tolerance + 4)) << format.name;
      EXPECT_TRUE(Near(At(*frame, far, near), Of(green), format.tolerance + 4)) << format.name;
      EXPECT_TRUE(Near(At(*frame, near, far), Of(blue), format.tolerance + 4)) << format.name;
      EXPECT_TRUE(Near(At(*frame, far, far), Of(white), format.tolerance + 4)) << format.name;
    }
  }
}

// One-pixel stripes shrunk four times must average to grey; sampling a few
// source pixels instead would show black or white, or moire.
TEST(RenderFrame, ShrinkingAveragesRatherThanSamples) {
  const PixelSource stripes = [](int x, int) {
    return x % 2 ? Rgba{255, 255, 255} : Rgba{0, 0, 0};
  };
  for (bool interlaced : {false, true}) {
    const auto decoder = OpenPicture(fixtures::WritePng(400, 40, stripes, false, interlaced), kBackground);
    ASSERT_TRUE(decoder);
    const auto frame = decoder->RenderFrame(0, 100, 10);
    ASSERT_TRUE(frame);
    EXPECT_TRUE(AllNear(*frame, {128, 128, 128}, 2)) << (interlaced ? "interlaced" : "");
    // 3x is no whole factor: block averaging then bilinear.
    const auto third = decoder->RenderFrame(0, 133, 13);
    ASSERT_TRUE(third);
    EXPECT_TRUE(AllNear(*third, {128, 128, 128}, 45));
  }
}

TEST(RenderFrame, PngAlphaBlendsOverTheBackground) {
  const platform::Rgb background{10, 20, 250};
  const PixelSource pixels = [](int x, int) {
    return x == 0 ? Rgba{200, 0, 100, 0} : x == 1 ? Rgba{200, 0, 100, 128} : Rgba{200, 0, 100, 255};
  };
  const auto decoder = OpenPicture(fixtures::WritePng(3, 1, pixels, true), background);
  ASSERT_TRUE(decoder);
  const auto frame = decoder->RenderFrame(0, 3, 1);
  ASSERT_TRUE(frame);
  EXPECT_EQ(At(*frame, 0, 0), Of(background));
  // (c * 128 + bg * 127) / 255, rounded.
  EXPECT_EQ(At(*frame, 1, 0), (Colour{105, 10, 175}));
  EXPECT_EQ(At(*frame, 2, 0), (Colour{200, 0, 100}));
}

// Photoshop's CMYK JPEGs store the inks inverted and say so with an Adobe
// marker; libjpeg writes that marker for CMYK, so these values are read as
// inverted: stored C, M, Y = R, G, B with K = 255 is the colour R, G, B.
ByteData WriteAdobeCmykJpeg(int width, int height, Rgba colour) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row;
  for (int x = 0; x < width; ++x) row.insert(row.end(), {colour.r, colour.g, colour.b, 255});
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  ByteData out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

TEST(RenderFrame, AdobeCmykJpegShowsItsColour) {
  const Rgba colour{40, 160, 220};
  const auto decoder = OpenPicture(WriteAdobeCmykJpeg(16, 16, colour), kBackground);
  ASSERT_TRUE(decoder);
  const auto frame = decoder->RenderFrame(0, 8, 8);
  ASSERT_TRUE(frame);
  EXPECT_TRUE(AllNear(*frame, Of(colour), 3));
}

TEST(RenderFrame, RefusesSizesAndFramesOutOfBounds) {
  PictureLimits limits;
  limits.maxOutputSide = 1000;
  limits.maxOutputPixels = 100'000;
  const auto decoder = OpenPicture(fixtures::WritePng(8, 8, fixtures::Solid({1, 2, 3})), kBackground, limits);
  ASSERT_TRUE(decoder);
  EXPECT_EQ(decoder->FrameCount(), 1);
  EXPECT_EQ(decoder->FrameDelayMs(0), 0);
  EXPECT_EQ(decoder->LoopCount(), platform::image::kNoLoopExtension);
  EXPECT_FALSE(decoder->RenderFrame(0, 0, 8));
  EXPECT_FALSE(decoder->RenderFrame(0, 8, -1));
  EXPECT_FALSE(decoder->RenderFrame(0, 1001, 1));
  EXPECT_FALSE(decoder->RenderFrame(0, 400, 400));
  EXPECT_FALSE(decoder->RenderFrame(1, 8, 8));
  EXPECT_FALSE(decoder->RenderFrame(-1, 8, 8));
  EXPECT_TRUE(decoder->RenderFrame(0, 1000, 100));
}

TEST(OpenPicture, RefusesPicturesBeyondTheSourceLimits) {
  PictureLimits limits;
  limits.maxSourcePixels = 10'000;
  const PixelSource grey = fixtures::Solid({9, 9, 9});
  EXPECT_TRUE(OpenPicture(fixtures::WritePng(100, 100, grey), kBackground, limits));
  EXPECT_FALSE(OpenPicture(fixtures::WritePng(101, 100, grey), kBackground, limits));
  EXPECT_FALSE(OpenPicture(fixtures::WriteJpeg(100, 101, grey), kBackground, limits));
  EXPECT_FALSE(OpenPicture(fixtures::WriteBmp(200, 51, grey), kBackground, limits));
  limits.maxGifCanvasPixels = 99;
  EXPECT_FALSE(OpenPicture(fixtures::WriteSolidGif(10, 10, {1, 1, 1}), kBackground, limits));
  EXPECT_FALSE(OpenPicture(ByteData{'n', 'o', 'n', 'e'}, kBackground));
}

// A progressive JPEG needs its whole coefficient buffer; past the memory
// limit it is refused cleanly, while a baseline one streams within it.
TEST(RenderFrame, ProgressiveJpegKeepsToTheMemoryLimit) {
  PictureLimits limits;
  limits.maxJpegMemory = 1 << 20;
  const PixelSource grey = fixtures::Solid({99, 99, 99});
  const auto progressive = OpenPicture(fixtures::WriteJpeg(1024, 1024, grey, 90, true), kBackground, limits);
  ASSERT_TRUE(progressive);
  EXPECT_FALSE(progressive->RenderFrame(0, 100, 100));
  const auto baseline = OpenPicture(fixtures::WriteJpeg(1024, 1024, grey, 90), kBackground, limits);
  ASSERT_TRUE(baseline);
  const auto frame = baseline->RenderFrame(0, 100, 100);
  ASSERT_TRUE(frame);
  EXPECT_TRUE(AllNear(*frame, {99, 99, 99}, 3));
}

}  // namespace
