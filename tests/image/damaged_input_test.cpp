// Damaged and hostile files of every format: each must give a clean result,
// never a crash, a hang or a runaway allocation. Run under the sanitizers
// (PICDOCK_SANITIZE=address,undefined) these also catch reads out of bounds.
#include <random>

#include <gtest/gtest.h>

#include "tests/image/frame_checks.h"

namespace {

using fixtures::Rgba;
using image_test::At;
using image_test::Colour;
using image_test::kBackground;
using image_test::Of;
using platform::image::OpenPicture;
using platform::image::PictureLimits;

const fixtures::PixelSource kGradient = [](int x, int y) {
  return Rgba{static_cast<std::uint8_t>(x * 16), static_cast<std::uint8_t>(y * 16), 77,
              static_cast<std::uint8_t>(255 - x * 8)};
};

struct Sample {
  const char* name;
  ByteData bytes;
};

std::vector<Sample> Samples() {
  fixtures::GifPicture gif{.width = 12, .height = 10, .palette = {{1, 2, 3}, {200, 100, 0}, {0, 0, 0}}, .frames = {}};
  for (int i = 0; i < 3; ++i) {
    gif.frames.push_back({.left = i * 2, .top = i, .width = 6, .height = 6,
                          .indices = ByteData(36, static_cast<std::uint8_t>(i)),
                          .disposal = i + 1, .transparentIndex = 2, .interlaced = i == 1});
  }
  gif.loopCount = 0;
  return {
      {"png", fixtures::WritePng(16, 12, kGradient, true)},
      {"interlaced png", fixtures::WritePng(16, 12, kGradient, false, true)},
      {"jpeg", fixtures::WriteJpeg(16, 12, kGradient)},
      {"progressive jpeg", fixtures::WriteJpeg(16, 12, kGradient, 80, true)},
      {"gif", fixtures::WriteGif(gif)},
      {"bmp", fixtures::WriteBmp(16, 12, kGradient)},
      {"rle4 bmp", fixtures::WriteBmp(16, 12, [](int x, int) { return Rgba{static_cast<std::uint8_t>(x / 2 * 30), 0, 0}; },
                                      {.bitsPerPixel = 4, .compression = fixtures::BmpCompression::Rle})},
      {"bit-field bmp", fixtures::WriteBmp(16, 12, kGradient, {.bitsPerPixel = 32, .compression = fixtures::BmpCompression::BitFields})},
  };
}

// Opens the bytes and renders every frame at two sizes. The results may be
// empty; what counts is that each call returns.
void Exercise(const ByteData& bytes) {
  const auto decoder = OpenPicture(bytes, kBackground);
  if (!decoder) return;
  for (int i = 0; i < decoder->FrameCount(); ++i) {
    if (auto frame = decoder->RenderFrame(i, 7, 5)) {
      ASSERT_EQ(frame->pixels.size(), 35u);
    }
  }
  decoder->RenderFrame(0, 40, 30);
}

TEST(DamagedInput, EveryTruncationGivesACleanResult) {
  for (const Sample& sample : Samples()) {
    SCOPED_TRACE(sample.name);
    for (std::size_t size = 0; size < sample.bytes.size(); ++size) {
      Exercise(ByteData(sample.bytes.begin(), sample.bytes.begin() + size));
    }
  }
}

TEST(DamagedInput, CorruptBytesGiveACleanResult) {
  std::mt19937 random(20240601);
  for (const Sample& sample : Samples()) {
    SCOPED_TRACE(sample.name);
    for (int round = 0; round < 400; ++round) {
      ByteData bytes = sample.bytes;
      const int changes = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < changes; ++i) {
        // Keep the signature so the damage reaches the decoder.
        const std::size_t at = 8 + random() % (bytes.size() - 8);
        bytes[at] = static_cast<std::uint8_t>(random());
      }
      Exercise(bytes);
    }
  }
}

// A picture cut off inside its pixel data shows what came before the cut;
// the rest is the background (or libjpeg's grey for a JPEG).
TEST(DamagedInput, ACutPictureShowsItsTopPart) {
  // Noise, so that each format's data runs evenly through the file and a
  // cut halfway leaves about half the rows.
  std::mt19937 random(7);
  std::vector<std::uint8_t> noise(256 * 256);
  for (auto& n : noise) n = static_cast<std::uint8_t>(random() % 4);
  const fixtures::PixelSource pixels = [&](int x, int y) {
    return Rgba{255, static_cast<std::uint8_t>(noise[y * 256 + x] * 8), 0};
  };
  fixtures::GifPicture gifPicture{.width = 256, .height = 256,
                                  .palette = {{255, 0, 0}, {255, 8, 0}, {255, 16, 0}, {255, 24, 0}},
                                  .frames = {{.width = 256, .height = 256, .indices = noise}}};
  const Sample samples[] = {
      {"png", fixtures::WritePng(256, 256, pixels)},
      {"gif", fixtures::WriteGif(gifPicture)},
      {"jpeg", fixtures::WriteJpeg(256, 256, pixels)},
  };
  for (const Sample& sample : samples) {
    ByteData cut = sample.bytes;
    cut.resize(cut.size() / 2);
    const auto decoder = OpenPicture(cut, kBackground);
    ASSERT_TRUE(decoder) << sample.name;
    const auto frame = decoder->RenderFrame(0, 256, 256);
    ASSERT_TRUE(frame) << sample.name;
    EXPECT_GE(At(*frame, 100, 0).r, 240) << sample.name;
    EXPECT_LE(At(*frame, 100, 0).g, 40) << sample.name;
    // Past the cut: the background, or libjpeg's grey for a JPEG.
    EXPECT_NE(At(*frame, 100, 255).r, 255) << sample.name;
  }
}

// Headers that claim far more than the file holds: refused by the limits,
// or decoded at the cost of the output size and no more.
TEST(DamagedInput, HeadersClaimingHugePicturesAreBounded) {
  // A PNG header of 65535 x 65535 with almost no data.
  ByteData png = fixtures::WritePng(1, 1, fixtures::Solid({1, 1, 1}));
  for (int i = 16; i < 24; ++i) png[i] = i % 4 < 2 ? 0 : 0xFF;  // width and height
  EXPECT_FALSE(OpenPicture(png, kBackground));  // beyond maxSourcePixels (the CRC is wrong too)

  // A GIF whose only frame declares itself 60000 x 60000 inside a small
  // screen: decoding it could take minutes, so it is no frame at all.
  fixtures::GifPicture gif{.width = 10, .height = 10, .palette = {{1, 1, 1}, {2, 2, 2}}, .frames = {}};
  gif.frames.push_back({.width = 1, .height = 1, .indices = {0}});
  ByteData bytes = fixtures::WriteGif(gif);
  // The image descriptor follows the graphics control extension: 0x2C, left,
  // top, width, height.
  const auto descriptor = std::find(bytes.begin() + 13 + 6 + 8, bytes.end(), 0x2C);
  ASSERT_NE(descriptor, bytes.end());
  descriptor[5] = 0x60, descriptor[6] = 0xEA, descriptor[7] = 0x60, descriptor[8] = 0xEA;
  EXPECT_FALSE(OpenPicture(bytes, kBackground));

  // A BMP that claims 20000 x 20000 but holds one row: decoded at a small
  // size it costs what that size costs.
  ByteData bmp = fixtures::WriteBmp(20000, 1, fixtures::Solid({5, 6, 7}));
  bmp[22] = 0x20, bmp[23] = 0x4E;  // height 20000
  PictureLimits limits;
  const auto decoder = OpenPicture(bmp, kBackground, limits);
  ASSERT_TRUE(decoder);
  const auto frame = decoder->RenderFrame(0, 300, 300);
  ASSERT_TRUE(frame);
  // Bottom-up: the one row is the last. Bilinear filtering may take in a
  // trace of the empty row above it.
  EXPECT_TRUE(image_test::Near(At(*frame, 0, 299), {5, 6, 7}, 2));
  EXPECT_EQ(At(*frame, 0, 0), Of(kBackground));
}

}  // namespace
