#include <gtest/gtest.h>

#include "tests/image/frame_checks.h"

namespace {

using fixtures::GifFrame;
using fixtures::GifPicture;
using fixtures::Rgba;
using image_test::At;
using image_test::Colour;
using image_test::kBackground;
using image_test::Of;
using platform::image::OpenPicture;

constexpr Rgba kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};
constexpr std::uint8_t kRedIndex = 0, kGreenIndex = 1, kBlueIndex = 2, kClearIndex = 3;

GifFrame Square(int left, int top, int side, std::uint8_t index, int disposal = 0) {
  return {.left = left, .top = top, .width = side, .height = side,
          .indices = ByteData(static_cast<std::size_t>(side) * side, index),
          .delayCentiseconds = 10, .disposal = disposal};
}

GifPicture Canvas(std::vector<GifFrame> frames) {
  return {.width = 8, .height = 8, .palette = {kRed, kGreen, kBlue, {9, 9, 9}},
          .frames = std::move(frames)};
}

// The canvas after each frame, as a row of letters per line: R, G, B, or
// '.' for the background.
std::vector<std::string> Rendered(platform::image::PictureDecoder& decoder, int index) {
  const auto frame = decoder.RenderFrame(index, 8, 8);
  if (!frame) return {"no frame"};
  std::vector<std::string> rows;
  for (int y = 0; y < 8; ++y) {
    std::string row;
    for (int x = 0; x < 8; ++x) {
      const Colour c = At(*frame, x, y);
      row += c == Of(kRed) ? 'R' : c == Of(kGreen) ? 'G' : c == Of(kBlue) ? 'B'
             : c == Of(kBackground) ? '.' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(GifAnimation, DisposalDecidesWhatTheNextFrameDrawsOn) {
  // 0: red 4x4 at (0,0), kept. 1: green 2x2 at (4,4), cleared to the
  // background after showing. 2: blue 2x2 at (2,2), restored to what lay
  // under it after showing. 3: a 1x1 green at (7,0).
  const auto decoder = OpenPicture(
      fixtures::WriteGif(Canvas({Square(0, 0, 4, kRedIndex, 1), Square(4, 4, 2, kGreenIndex, 2),
                                 Square(2, 2, 2, kBlueIndex, 3), Square(7, 0, 1, kGreenIndex)})),
      kBackground);
  ASSERT_TRUE(decoder);
  ASSERT_EQ(decoder->FrameCount(), 4);
  using Rows = std::vector<std::string>;
  EXPECT_EQ(Rendered(*decoder, 0), (Rows{"RRRR....", "RRRR....", "RRRR....", "RRRR....",
                                         "........", "........", "........", "........"}));
  EXPECT_EQ(Rendered(*decoder, 1), (Rows{"RRRR....", "RRRR....", "RRRR....", "RRRR....",
                                         "....GG..", "....GG..", "........", "........"}));
  EXPECT_EQ(Rendered(*decoder, 2), (Rows{"RRRR....", "RRRR....", "RRBB....", "RRBB....",
                                         "........", "........", "........", "........"}));
  EXPECT_EQ(Rendered(*decoder, 3), (Rows{"RRRR...G", "RRRR....", "RRRR....", "RRRR....",
                                         "........", "........", "........", "........"}));
  // Going back recomposes from the start; jumping ahead composes the frames
  // in between.
  EXPECT_EQ(Rendered(*decoder, 1)[4], "....GG..");
  const auto fresh = OpenPicture(fixtures::WriteGif(Canvas({Square(0, 0, 4, kRedIndex, 1),
                                                           Square(4, 4, 2, kGreenIndex, 2),
                                                           Square(2, 2, 2, kBlueIndex, 3),
                                                           Square(7, 0, 1, kGreenIndex)})),
                                 kBackground);
  EXPECT_EQ(Rendered(*fresh, 3), Rendered(*decoder, 3));
}

TEST(GifAnimation, TransparentPixelsShowWhatLiesBeneath) {
  GifFrame holes = Square(0, 0, 8, kBlueIndex);
  for (std::size_t i = 0; i < holes.indices.size(); i += 2) holes.indices[i] = kClearIndex;
  holes.transparentIndex = kClearIndex;
  GifFrame first = Square(0, 0, 4, kRedIndex);
  first.transparentIndex = kClearIndex;
  const auto decoder = OpenPicture(fixtures::WriteGif(Canvas({first, holes})), kBackground);
  ASSERT_TRUE(decoder);
  const auto rows = Rendered(*decoder, 1);
  EXPECT_EQ(rows[0], "RBRB.B.B");
  EXPECT_EQ(rows[7], ".B.B.B.B");
  // The transparent colour of the first frame is no colour at all: the
  // palette entry for it never shows.
  GifFrame clear = Square(0, 0, 8, kClearIndex);
  clear.transparentIndex = kClearIndex;
  const auto empty = OpenPicture(fixtures::WriteGif(Canvas({clear})), kBackground);
  ASSERT_TRUE(empty);
  EXPECT_EQ(Rendered(*empty, 0)[3], "........");
}

TEST(GifAnimation, DelaysAndLoopCountComeFromTheFile) {
  std::vector<GifFrame> frames;
  for (int centiseconds : {0, 1, 2, 50}) {
    frames.push_back(Square(0, 0, 1, kRedIndex));
    frames.back().delayCentiseconds = centiseconds;
  }
  GifPicture picture = Canvas(frames);
  const auto once = OpenPicture(fixtures::WriteGif(picture), kBackground);
  ASSERT_TRUE(once);
  EXPECT_EQ(once->FrameDelayMs(0), 100);  // 10 ms or less plays at 100 ms
  EXPECT_EQ(once->FrameDelayMs(1), 100);
  EXPECT_EQ(once->FrameDelayMs(2), 20);
  EXPECT_EQ(once->FrameDelayMs(3), 500);
  EXPECT_EQ(once->LoopCount(), platform::image::kNoLoopExtension);
  for (int loops : {0, 3, 65535}) {
    picture.loopCount = loops;
    const auto looping = OpenPicture(fixtures::WriteGif(picture), kBackground);
    ASSERT_TRUE(looping);
    EXPECT_EQ(looping->LoopCount(), loops);
  }
}

TEST(GifAnimation, InterlacedFramesAndFramesPastTheEdge) {
  // Rows of alternating colours: an interlaced frame put in the wrong row
  // order shows at once.
  GifFrame striped = Square(0, 0, 8, kRedIndex);
  for (int y = 0; y < 8; ++y) {
    std::fill_n(&striped.indices[y * 8], 8, y % 3 == 0 ? kRedIndex : y % 3 == 1 ? kGreenIndex : kBlueIndex);
  }
  striped.interlaced = true;
  // Hangs over the right and bottom edges of the canvas.
  GifFrame overhanging = Square(6, 6, 5, kGreenIndex);
  const auto decoder = OpenPicture(fixtures::WriteGif(Canvas({striped, overhanging})), kBackground);
  ASSERT_TRUE(decoder);
  const auto rows = Rendered(*decoder, 0);
  for (int y = 0; y < 8; ++y) EXPECT_EQ(rows[y], std::string(8, "RGB"[y % 3])) << y;
  const auto after = Rendered(*decoder, 1);
  EXPECT_EQ(after[6], "RRRRRRGG");
  EXPECT_EQ(after[5], "BBBBBBBB");
}

TEST(GifAnimation, FrameCountStopsAtTheLimit) {
  std::vector<GifFrame> frames(12, Square(0, 0, 2, kGreenIndex));
  platform::image::PictureLimits limits;
  limits.maxGifFrames = 5;
  const auto decoder = OpenPicture(fixtures::WriteGif(Canvas(frames)), kBackground, limits);
  ASSERT_TRUE(decoder);
  EXPECT_EQ(decoder->FrameCount(), 5);
  EXPECT_FALSE(decoder->RenderFrame(5, 8, 8));
  EXPECT_TRUE(decoder->RenderFrame(4, 8, 8));
}

}  // namespace
