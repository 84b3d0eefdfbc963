// The hover preview: the picture of the hovered row beside the panel, at its
// own size (shrunk to the screen's height when taller), centred on the
// screen's height less 30, and hidden when the pointer leaves the panel.
#include <set>
#include <thread>

#include "tests/e2e/scenario.h"
#include "tests/fixtures/picture_writers.h"

namespace e2e {
namespace {

using fixtures::Solid;

fixtures::Rgba Fixture(Rgb c) {
  return {static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g),
          static_cast<std::uint8_t>(c.b), 255};
}

struct ShownPicture {
  const char* name;
  Rect preview;  // where the preview window stands
  Rgb colour;
  int tolerance;  // JPEG is lossy
};

class PreviewTest : public Scenario {
 protected:
  // Hovers `row` and checks that the preview shows `expected`, filled with
  // its colour where it is on the screen.
  void ExpectHoverShows(const WindowInfo& panel, int row, const ShownPicture& expected) {
    SCOPED_TRACE(std::string("row ") + std::to_string(row) + ", " + expected.name);
    Screen().MovePointer(40, RowCentreY(panel.rect.top, row));
    auto preview = Program().WaitForWindowState(
        "preview", [&](const WindowInfo& w) { return w.viewable && w.rect == expected.preview; });
    ASSERT_TRUE(preview.has_value()) << "no preview window";
    EXPECT_TRUE(preview->viewable);
    EXPECT_EQ(preview->rect, expected.preview);
    EXPECT_EQ(preview->topLevelRect, preview->rect) << "the preview sits in a frame";

    Picture shown;
    auto matching = [&] {
      return shown.Count([&](Rgb p) { return Near(p, expected.colour, expected.tolerance); });
    };
    bool filled = WaitUntil([&] {
      shown = Screen().Grab(preview->rect);
      return shown.Width() > 0 && matching() == shown.Width() * shown.Height();
    });
    EXPECT_TRUE(filled) << matching() << " of " << shown.Width() * shown.Height()
                        << " pixels are the picture's; most are " << Describe(shown.Dominant());
  }
};

TEST_F(PreviewTest, HoveringEachRowShowsItsPicture) {
  const Rgb red{200, 40, 40}, green{40, 180, 70}, blue{50, 70, 220}, yellow{230, 210, 40};
  Start({1920, 1080}, {{"d.bmp", fixtures::WriteBmp(64, 64, Solid(Fixture(yellow)))},
                       {"c.gif", fixtures::WriteSolidGif(80, 160, Fixture(blue))},
                       {"b.png", fixtures::WritePng(120, 90, Solid(Fixture(green)))},
                       {"a.jpg", fixtures::WriteJpeg(300, 200, Solid(Fixture(red)), 95)}});
  WindowInfo panel = ShownPanel();
  ASSERT_EQ(panel.rect, (Rect{0, 479, 100, 92}));

  // Rows by pattern: jpg, png, gif, bmp. Tops: trunc(525 - height / 2).
  const ShownPicture rows[] = {
      {"a.jpg", {110, 425, 300, 200}, red, 10},
      {"b.png", {110, 480, 120, 90}, green, 0},
      {"c.gif", {110, 445, 80, 160}, blue, 0},
      {"d.bmp", {110, 493, 64, 64}, yellow, 0},
  };
  for (int row = 0; row < 4; ++row) ExpectHoverShows(panel, row, rows[row]);
  // Back to the first row: shown again, since the selection moved on.
  ExpectHoverShows(panel, 0, rows[0]);
}

TEST_F(PreviewTest, PicturesTallerThanTheScreenAreShrunkToItsHeight) {
  const Rgb teal{20, 160, 160}, orange{240, 140, 20}, violet{140, 60, 200};
  Start({1920, 768}, {{"tall.jpg", fixtures::WriteJpeg(1000, 3000, Solid(Fixture(teal)), 95)},
                      {"short.png", fixtures::WritePng(40, 767, Solid(Fixture(orange)))},
                      {"exact.gif", fixtures::WriteSolidGif(30, 768, Fixture(violet))}});
  WindowInfo panel = ShownPanel();

  // 1000 x 3000 becomes trunc(1000 / 3000 * 768) = 256 x 768 at top
  // trunc(369 - 384) = -15, above the screen; 767 and 768 high stay as
  // they are, at trunc(-14.5) = -14 and -15.
  ExpectHoverShows(panel, 0, {"tall.jpg", {110, -15, 256, 768}, teal, 10});
  ExpectHoverShows(panel, 1, {"short.png", {110, -14, 40, 767}, orange, 0});
  ExpectHoverShows(panel, 2, {"exact.gif", {110, -15, 30, 768}, violet, 0});
}

TEST_F(PreviewTest, AnimatedGifPlays) {
  const Rgb red{220, 20, 20}, blue{20, 20, 220};
  fixtures::GifPicture gif;
  gif.width = 60;
  gif.height = 40;
  gif.palette = {Fixture(red), Fixture(blue)};
  gif.loopCount = 0;
  for (std::uint8_t index : {0, 1})
    gif.frames.push_back({0, 0, 60, 40, std::vector<std::uint8_t>(60 * 40, index), 20, 1, -1});
  Start({1920, 1080}, {{"spin.gif", fixtures::WriteGif(gif)}});
  WindowInfo panel = ShownPanel();

  Screen().MovePointer(40, RowCentreY(panel.rect.top, 0));
  auto preview = Program().WaitForWindowState(
      "preview", [](const WindowInfo& w) { return w.viewable && w.rect.width == 60; });
  ASSERT_TRUE(preview && preview->viewable) << "no preview window";
  std::set<std::tuple<int, int, int>> seen;
  WaitUntil([&] {
    Rgb now = Screen().Grab(preview->rect).Dominant();
    seen.insert({now.r, now.g, now.b});
    return seen.count({red.r, red.g, red.b}) && seen.count({blue.r, blue.g, blue.b});
  });
  EXPECT_TRUE(seen.count({red.r, red.g, red.b})) << "the first frame never showed";
  EXPECT_TRUE(seen.count({blue.r, blue.g, blue.b})) << "the second frame never showed";
}

struct LeaveCase {
  const char* name;
  int x, y;
};
void PrintTo(const LeaveCase& c, std::ostream* out) { *out << c.name; }

class PreviewLeaveTest : public PreviewTest, public testing::WithParamInterface<LeaveCase> {};

TEST_P(PreviewLeaveTest, LeavingThePanelHidesThePreview) {
  Start({1920, 1080}, {{"a.png", fixtures::WritePng(200, 100, Solid({90, 90, 200}))}});
  WindowInfo panel = ShownPanel();
  ExpectHoverShows(panel, 0, {"a.png", {110, 475, 200, 100}, {90, 90, 200}, 0});
  if (HasFatalFailure()) return;

  Screen().MovePointer(GetParam().x, GetParam().y);
  auto preview =
      Program().WaitForWindowState("preview", [](const WindowInfo& w) { return !w.viewable; });
  EXPECT_TRUE(!preview || !preview->viewable) << "the preview is still shown";
  auto tucked =
      Program().WaitForWindowState("panel", [](const WindowInfo& w) { return w.rect.left == -97; });
  ASSERT_TRUE(tucked.has_value());
  EXPECT_EQ(tucked->rect.left, -97);
}

INSTANTIATE_TEST_SUITE_P(Places, PreviewLeaveTest,
                         testing::Values(LeaveCase{"FarAway", 900, 300},
                                         // The preview lies right of the panel: outside it.
                                         LeaveCase{"OntoThePreview", 200, 525}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
