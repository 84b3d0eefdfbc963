#include <gtest/gtest.h>

#include "platform/image/pixels.h"
#include "platform/image/row_scaler.h"
#include "tests/image/frame_checks.h"

namespace {

using image_test::AllNear;
using image_test::At;
using image_test::Colour;
using image_test::kBackground;
using image_test::Of;
using platform::image::PackXrgb;
using platform::image::RowScaler;

// Grey levels that differ per pixel: value = 10 * x + 40 * y.
std::vector<std::uint32_t> GreyRow(int y, int width) {
  std::vector<std::uint32_t> row;
  for (int x = 0; x < width; ++x) {
    const std::uint32_t v = 10 * x + 40 * y;
    row.push_back(PackXrgb(v, v, v));
  }
  return row;
}

TEST(RowScaler, HalvingAveragesEachBlockExactly) {
  for (bool bottomUp : {false, true}) {
    RowScaler scaler(4, 4, 2, 2, kBackground);
    for (int i = 0; i < 4; ++i) {
      const int y = bottomUp ? 3 - i : i;
      scaler.AddRow(y, GreyRow(y, 4).data());
    }
    const auto frame = scaler.Finish();
    ASSERT_TRUE(frame);
    // Block (0,0): 0, 10, 40, 50 -> 25. Block (1,1): 100, 110, 140, 150 -> 125.
    EXPECT_EQ(At(*frame, 0, 0), (Colour{25, 25, 25}));
    EXPECT_EQ(At(*frame, 1, 0), (Colour{45, 45, 45}));
    EXPECT_EQ(At(*frame, 0, 1), (Colour{105, 105, 105}));
    EXPECT_EQ(At(*frame, 1, 1), (Colour{125, 125, 125}));
  }
}

TEST(RowScaler, ScatteredPixelsGatherLikeRows) {
  RowScaler rows(6, 6, 3, 3, kBackground);
  RowScaler scattered(6, 6, 3, 3, kBackground);
  for (int y = 0; y < 6; ++y) rows.AddRow(y, GreyRow(y, 6).data());
  // Even columns bottom to top, then odd columns top to bottom, as the
  // passes of an interlaced picture come in an order of their own.
  auto columns = [](int y, int first) {
    std::vector<std::uint32_t> picked;
    const auto row = GreyRow(y, 6);
    for (int x = first; x < 6; x += 2) picked.push_back(row[x]);
    return picked;
  };
  for (int y = 5; y >= 0; --y) scattered.AddScattered(y, 0, 2, columns(y, 0).data(), 3);
  for (int y = 0; y < 6; ++y) scattered.AddScattered(y, 1, 2, columns(y, 1).data(), 3);
  const auto a = rows.Finish();
  const auto b = scattered.Finish();
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->pixels, b->pixels);
}

TEST(RowScaler, RowsNeverGivenShowTheBackground) {
  RowScaler scaler(10, 10, 5, 5, kBackground);
  for (int y = 0; y < 4; ++y) scaler.AddRow(y, GreyRow(0, 10).data());
  const auto frame = scaler.Finish();
  ASSERT_TRUE(frame);
  EXPECT_EQ(At(*frame, 0, 4), Of(kBackground));
  EXPECT_EQ(At(*frame, 4, 2), Of(kBackground));
  EXPECT_NE(At(*frame, 0, 1), Of(kBackground));
}

TEST(RowScaler, IntermediateStaysWithinTwiceTheOutput) {
  const struct {
    int sourceWidth, sourceHeight, outWidth, outHeight;
  } cases[] = {{4000, 3000, 1440, 1080}, {20000, 20000, 700, 700}, {65535, 2, 1, 1}, {3, 3, 900, 900}};
  for (const auto& c : cases) {
    RowScaler scaler(c.sourceWidth, c.sourceHeight, c.outWidth, c.outHeight, kBackground);
    EXPECT_LE(scaler.IntermediateWidth(), std::max(2 * c.outWidth, c.sourceWidth / 256 + 1));
    EXPECT_LE(scaler.IntermediateHeight(), std::max(2 * c.outHeight, c.sourceHeight / 256 + 1));
    EXPECT_GE(scaler.IntermediateWidth(), std::min(c.outWidth, c.sourceWidth));
  }
  // A shrink past the 256 x 256 block still averages the whole row.
  RowScaler wide(65535, 1, 1, 1, kBackground);
  std::vector<std::uint32_t> row(65535, PackXrgb(200, 100, 50));
  wide.AddRow(0, row.data());
  const auto frame = wide.Finish();
  ASSERT_TRUE(frame);
  EXPECT_TRUE(AllNear(*frame, {200, 100, 50}, 1));
}

}  // namespace
