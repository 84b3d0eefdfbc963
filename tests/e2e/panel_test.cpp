// The panel after its set-up: sized to its rows, centred on the screen's
// height, and listing the pictures by pattern.
#include "tests/e2e/scenario.h"
#include "tests/fixtures/picture_writers.h"

namespace e2e {
namespace {

struct GeometryCase {
  const char* name;
  int screenHeight;
  int pictures;
  Rect panel;
};
void PrintTo(const GeometryCase& c, std::ostream* out) { *out << c.name; }

class PanelGeometryTest : public Scenario,
                          public testing::WithParamInterface<std::tuple<Manager, GeometryCase>> {};

TEST_P(PanelGeometryTest, PanelIsAsTallAsItsRowsAndCentred) {
  auto [manager, geometry] = GetParam();
  Start({1920, geometry.screenHeight, manager == Manager::Openbox},
        NumberedPictures(geometry.pictures));
  WindowInfo panel = ShownPanel();
  EXPECT_EQ(panel.rect, geometry.panel);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PanelGeometryTest,
    testing::Combine(
        testing::ValuesIn(kBothManagers),
        testing::Values(GeometryCase{"TenNamesOn1080", 1080, 10, {0, 425, 100, 200}},
                        GeometryCase{"NoNamesOn768", 768, 0, {0, 359, 100, 20}},
                        GeometryCase{"OneNameOn1025TopTruncated", 1025, 1, {0, 478, 100, 38}},
                        // -90.5 truncates toward zero; the panel reaches above the screen.
                        GeometryCase{"FiftyNamesOn769AboveTheTop", 769, 50, {0, -90, 100, 920}})),
    [](const auto& info) {
      return ManagerName(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name;
    });

class PanelTest : public Scenario {};

// The list follows the patterns' order, jpg before png before bmp, not the
// names': hovering each row shows which picture it names.
TEST_F(PanelTest, ListsPicturesInPatternOrder) {
  using fixtures::Solid;
  const Rgb red{220, 30, 30}, green{30, 200, 60}, blue{40, 60, 210};
  Start({1920, 1080}, {{"b.png", fixtures::WritePng(48, 64, Solid({30, 200, 60}))},
                       {"a.jpg", fixtures::WriteJpeg(64, 48, Solid({220, 30, 30}), 95)},
                       {"c.bmp", fixtures::WriteBmp(32, 32, Solid({40, 60, 210}))}});
  WindowInfo panel = ShownPanel();
  ASSERT_EQ(panel.rect.height, 18 * 3 + 20);

  struct Row {
    const char* name;
    int width, height;
    Rgb colour;
  };
  const Row rows[] = {{"a.jpg", 64, 48, red}, {"b.png", 48, 64, green}, {"c.bmp", 32, 32, blue}};
  for (int row = 0; row < 3; ++row) {
    SCOPED_TRACE(std::string("row ") + std::to_string(row) + ", expected " + rows[row].name);
    Screen().MovePointer(40, RowCentreY(panel.rect.top, row));
    Picture shown;
    auto preview = Program().WaitForWindowState("preview", [&](const WindowInfo& w) {
      if (!w.viewable || w.rect.width != rows[row].width || w.rect.height != rows[row].height)
        return false;
      shown = Screen().Grab(w.rect);
      return Near(shown.Dominant(), rows[row].colour, 8);
    });
    ASSERT_TRUE(preview.has_value()) << "no preview window";
    EXPECT_EQ(preview->rect.width, rows[row].width);
    EXPECT_EQ(preview->rect.height, rows[row].height);
    EXPECT_TRUE(Near(shown.Dominant(), rows[row].colour, 8)) << Describe(shown.Dominant());
  }
}

// 5,000 rows ask for a panel 90,020 pixels high, more than X can hold: the
// panel takes what the server gives it, is centred on that, and still
// follows the pointer and Esc.
TEST_F(PanelTest, FiveThousandPicturesStartAndFollowThePointer) {
  Start({1920, 1080}, NumberedPictures(5000));
  WindowInfo panel = ShownPanel(60s);
  EXPECT_LE(panel.rect.height, 32767);
  EXPECT_GT(panel.rect.height, 1080);

  Screen().MovePointer(600, 500);
  auto tucked =
      Program().WaitForWindowState("panel", [](const WindowInfo& w) { return w.rect.left == -97; });
  ASSERT_TRUE(tucked.has_value());
  EXPECT_EQ(tucked->rect.left, -97);
  Screen().MovePointer(1, 500);
  auto back =
      Program().WaitForWindowState("panel", [](const WindowInfo& w) { return w.rect.left == 0; });
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->rect.left, 0);

  // A click beside the list gives the panel the keyboard back, should a
  // hover on the way have shown the preview.
  Screen().Click(97, 500);
  Screen().TapKey("Escape");
  ExitStatus status = Program().WaitForExit();
  EXPECT_EQ(status.code, 0) << Describe(status);
}

}  // namespace
}  // namespace e2e
