#include <climits>

#include <gtest/gtest.h>

#include "tests/image/frame_checks.h"

namespace {

using fixtures::BmpCompression;
using fixtures::BmpOptions;
using fixtures::Rgba;
using image_test::AllNear;
using image_test::At;
using image_test::Colour;
using image_test::kBackground;
using image_test::Of;
using platform::image::OpenPicture;

// Colours that 5 bits per channel hold exactly, in a pattern that shows a
// flip, a mirror, a shifted row or a wrong padding: quarters, plus a
// diagonal of white.
constexpr Rgba kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};
Rgba Pattern(int x, int y) {
  if (x == y) return kWhite;
  return y < 4 ? (x < 6 ? kRed : kGreen) : (x < 6 ? kBlue : kRed);
}

struct BmpCase {
  const char* name;
  BmpOptions options;
};

TEST(BmpDecoder, EveryDepthAndLayoutShowsThePattern) {
  // 13 pixels wide: every depth needs row padding.
  const BmpCase cases[] = {
      {"1 bit", {.bitsPerPixel = 1}},  // two colours: see below
      {"4 bits", {.bitsPerPixel = 4}},
      {"8 bits", {.bitsPerPixel = 8}},
      {"8 bits top-down", {.bitsPerPixel = 8, .topDown = true}},
      {"16 bits 5-5-5", {.bitsPerPixel = 16}},
      {"16 bits 5-6-5 bit fields", {.bitsPerPixel = 16, .compression = BmpCompression::BitFields}},
      {"24 bits", {.bitsPerPixel = 24}},
      {"24 bits top-down", {.bitsPerPixel = 24, .topDown = true}},
      {"32 bits", {.bitsPerPixel = 32}},
      {"32 bits bit fields", {.bitsPerPixel = 32, .compression = BmpCompression::BitFields}},
      {"RLE8", {.bitsPerPixel = 8, .compression = BmpCompression::Rle}},
      {"RLE4", {.bitsPerPixel = 4, .compression = BmpCompression::Rle}},
      {"RLE8 top-down", {.bitsPerPixel = 8, .topDown = true, .compression = BmpCompression::Rle}},
  };
  for (const BmpCase& c : cases) {
    const bool twoColours = c.options.bitsPerPixel == 1;
    const auto pixels = [&](int x, int y) {
      return twoColours ? (Pattern(x, y) == kWhite ? kWhite : kBlue) : Pattern(x, y);
    };
    const auto decoder = OpenPicture(fixtures::WriteBmp(13, 7, pixels, c.options), kBackground);
    ASSERT_TRUE(decoder) << c.name;
    const auto frame = decoder->RenderFrame(0, 13, 7);
    ASSERT_TRUE(frame) << c.name;
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 13; ++x) {
        ASSERT_EQ(At(*frame, x, y), Of(pixels(x, y))) << c.name << " at " << x << ", " << y;
      }
    }
  }
}

// A BMP written by hand: file header, BITMAPINFOHEADER, palette, pixels.
ByteData HandMadeBmp(int width, int height, int bits, std::uint32_t compression,
                     const std::vector<Rgba>& palette, const ByteData& pixels,
                     const std::vector<std::uint32_t>& masks = {}) {
  ByteData out{'B', 'M'};
  auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto put16 = [&](std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  const std::uint32_t offset = static_cast<std::uint32_t>(14 + 40 + masks.size() * 4 + palette.size() * 4);
  put32(static_cast<std::uint32_t>(offset + pixels.size()));
  put32(0);
  put32(offset);
  put32(40);
  put32(static_cast<std::uint32_t>(width));
  put32(static_cast<std::uint32_t>(height));
  put16(1);
  put16(static_cast<std::uint32_t>(bits));
  put32(compression);
  put32(static_cast<std::uint32_t>(pixels.size()));
  put32(0);
  put32(0);
  put32(static_cast<std::uint32_t>(palette.size()));
  put32(0);
  for (std::uint32_t mask : masks) put32(mask);
  for (const Rgba& c : palette) out.insert(out.end(), {c.b, c.g, c.r, 0});
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

std::string Letters(const platform::image::PictureFrame& frame) {
  std::string text;
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      const Colour c = At(frame, x, y);
      text += c == Of(kRed) ? 'R' : c == Of(kGreen) ? 'G' : c == Of(kBackground) ? '.' : '?';
    }
    text += '\n';
  }
  return text;
}

TEST(BmpDecoder, RleEscapesJumpEndRowsAndStopEarly) {
  // Bottom-up, 6 x 4, RLE8 with palette red, green: the file's first row
  // is the bottom one on screen.
  const ByteData rle = {
      3, 0,              // three red
      0, 3, 1, 0, 1, 0,  // literal green, red, green (padded to a word)
      0, 0,              // end of row
      0, 2, 2, 1,        // jump two right and one row up: that row stays empty
      2, 1,              // two green at x 2..3
      9, 1,              // a run past the right edge is cut there
      0, 1,              // end of picture: the top row stays empty
  };
  const auto decoder =
      OpenPicture(HandMadeBmp(6, 4, 8, 1, {kRed, kGreen}, rle), kBackground);
  ASSERT_TRUE(decoder);
  const auto frame = decoder->RenderFrame(0, 6, 4);
  ASSERT_TRUE(frame);
  EXPECT_EQ(Letters(*frame), "......\n"
                             "..GGGG\n"
                             "......\n"
                             "RRRGRG\n");
}

TEST(BmpDecoder, IndicesPastThePaletteShowBlack) {
  const ByteData pixels = {0, 1, 7, 0};  // one row of 3 pixels, padded
  const auto decoder = OpenPicture(HandMadeBmp(3, 1, 8, 0, {kRed, kGreen}, pixels), kBackground);
  ASSERT_TRUE(decoder);
  const auto frame = decoder->RenderFrame(0, 3, 1);
  ASSERT_TRUE(frame);
  EXPECT_EQ(At(*frame, 2, 0), (Colour{0, 0, 0}));
}

TEST(BmpDecoder, AlphaMaskBlendsUnlessEveryAlphaIsZero) {
  const std::vector<std::uint32_t> bgra = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  // BI_ALPHABITFIELDS (6): four masks after the header.
  const ByteData halfRed = {0, 0, 255, 128, 0, 0, 255, 255};
  const auto blended = OpenPicture(HandMadeBmp(2, 1, 32, 6, {}, halfRed, bgra), kBackground);
  ASSERT_TRUE(blended);
  const auto frame = blended->RenderFrame(0, 2, 1);
  ASSERT_TRUE(frame);
  EXPECT_EQ(At(*frame, 0, 0), (Colour{248, 120, 120}));
  EXPECT_EQ(At(*frame, 1, 0), Of(kRed));

  const ByteData noAlpha = {0, 0, 255, 0, 0, 255, 0, 0};
  const auto opaque = OpenPicture(HandMadeBmp(2, 1, 32, 6, {}, noAlpha, bgra), kBackground);
  ASSERT_TRUE(opaque);
  const auto shown = opaque->RenderFrame(0, 2, 1);
  ASSERT_TRUE(shown);
  EXPECT_EQ(At(*shown, 0, 0), Of(kRed));
  EXPECT_EQ(At(*shown, 1, 0), Of(kGreen));
}

TEST(BmpDecoder, OsTwoCoreHeader) {
  ByteData bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0,
                  12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 24, 0};  // 2 x 1, 24 bits
  bmp.insert(bmp.end(), {0, 255, 0, 0, 0, 255, 0, 0});
  const auto decoder = OpenPicture(bmp, kBackground);
  ASSERT_TRUE(decoder);
  const auto frame = decoder->RenderFrame(0, 2, 1);
  ASSERT_TRUE(frame);
  EXPECT_EQ(Letters(*frame), "GR\n");
}

TEST(BmpDecoder, RefusesHeadersItCannotHonour) {
  const ByteData row = {0, 0, 0, 0};
  const ByteData refused[] = {
      HandMadeBmp(1, 1, 24, 4, {}, row),              // embedded JPEG
      HandMadeBmp(1, 1, 8, 2, {kRed}, row),           // RLE4 with 8 bits
      HandMadeBmp(1, 1, 24, 3, {}, row),              // bit fields with 24 bits
      HandMadeBmp(1, 1, 7, 0, {}, row),               // 7 bits
      HandMadeBmp(0, 1, 24, 0, {}, row),              // no width
      HandMadeBmp(1, 0, 24, 0, {}, row),              // no height
      HandMadeBmp(-5, 1, 24, 0, {}, row),             // negative width
      HandMadeBmp(1, INT_MIN, 24, 0, {}, row),        // a height with no absolute value
      HandMadeBmp(70000, 1, 24, 0, {}, row),          // beyond the side limit
  };
  for (const ByteData& bmp : refused) EXPECT_FALSE(OpenPicture(bmp, kBackground));
}

TEST(BmpDecoder, ShortPixelDataLeavesTheMissingRowsToTheBackground) {
  ByteData bmp = fixtures::WriteBmp(4, 4, fixtures::Solid(kRed));
  bmp.resize(bmp.size() - 2 * 12 - 3);  // bottom-up: the top two rows and a bit are gone
  const auto decoder = OpenPicture(bmp, kBackground);
  ASSERT_TRUE(decoder);
  const auto frame = decoder->RenderFrame(0, 4, 4);
  ASSERT_TRUE(frame);
  EXPECT_EQ(Letters(*frame), "....\n....\n....\nRRRR\n");
}

}  // namespace
