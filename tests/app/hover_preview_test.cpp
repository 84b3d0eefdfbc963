// The hover preview: the row under the pointer, the picture's size shrunk
// to the screen, the centred top, and the order of the writes.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/window_definitions.h"
#include "platform/null/null_control.h"
#include "platform/toolkit.h"
#include "tests/app/app_test_fixture.h"
#include "tests/fixtures/picture_writers.h"

namespace apptest {
namespace {

namespace null = platform::null;
using fixtures::Solid;

constexpr fixtures::Rgba kTeal{0, 128, 128};

// The set-up lists the folder, then the watcher is stopped, so the record
// holds the handler's acts alone.
class HoverTest : public AppTest {
 protected:
  void ListFolder(const PictureFolder& folder, int screenHeight) {
    LoadPanel(folder, screenHeight);
    platform::StopProgramThreads();
    null::ClearOperations();
  }
};

struct PictureCase {
  const char* name;
  int screenHeight;
  std::function<ByteData()> picture;
  bool goneBeforeHover;
  int top, width, height;  // of the preview afterwards
};

class HoverGeometry : public HoverTest, public testing::WithParamInterface<PictureCase> {};

TEST_P(HoverGeometry, WritesThePictureAndItsSizeThenShowsThePreview) {
  const PictureCase& c = GetParam();
  PictureFolder folder;
  ByteData bytes = c.picture();
  folder.Write("picture.png", bytes);
  ListFolder(folder, c.screenHeight);
  if (c.goneBeforeHover) {
    folder.Remove("picture.png");
    bytes.clear();
  }

  null::RaiseMouseMoved(列表框1, 40, 9);

  std::string h = std::to_string(c.height), w = std::to_string(c.width);
  std::vector<std::string> expected = {
      "SetListSelection(列表框1, 0)",
      "ReadWholeFile(" + folder.PathOf("picture.png") + ")",
      "Move(PreviewWindow, -, " + std::to_string(c.top) + ", -, -)",
      "SetPicture(图片框1, " + std::to_string(bytes.size()) + " bytes)",
      "SetHeight(图片框1, " + h + ")",
      "SetWidth(图片框1, " + w + ")",
      "SetWidth(PreviewWindow, " + w + ")",
      "SetHeight(PreviewWindow, " + h + ")",
      "SetVisible(PreviewWindow, true)",
  };
  EXPECT_EQ(null::Operations(), expected);
  EXPECT_EQ(platform::Left(PreviewWindow), 110);
  EXPECT_TRUE(platform::Visible(PreviewWindow));
}

// Whatever the extension, the picture is measured by its bytes.
INSTANTIATE_TEST_SUITE_P(
    Cases, HoverGeometry,
    testing::Values(
        PictureCase{"FitsOn1080", 1080, [] { return fixtures::WriteJpeg(800, 600, Solid(kTeal)); },
                    false, 225, 800, 600},
        // trunc((1000 / 3000) * 768) = 256; trunc(369 - 384) = -15
        PictureCase{"TallerIsShrunkToTheScreen", 768,
                    [] { return fixtures::WritePng(1000, 3000, Solid(kTeal)); }, false, -15, 256,
                    768},
        // trunc(369 - 383.5): toward zero
        PictureCase{"OnePixelShorterThanTheScreen", 768,
                    [] { return fixtures::WriteSolidGif(300, 767, kTeal); }, false, -14, 300, 767},
        // Scaled, it would be trunc((110 / 600) * 600) = 109.
        PictureCase{"ExactlyAsTallAsTheScreenIsNotScaled", 600,
                    [] { return fixtures::WriteBmp(110, 600, Solid(kTeal)); }, false, -15, 110,
                    600},
        // 451 / 615 is rounded to a double before it is multiplied by 600:
        // 439.99999999999994, so 439, not 440
        PictureCase{"QuotientRoundedBeforeScaling", 600,
                    [] { return fixtures::WriteBmp(451, 615, Solid(kTeal)); }, false, -15, 439,
                    600},
        PictureCase{"NoPictureMeasuresZero", 1080, [] { return ByteData{'n', 'o', 'p', 'e'}; },
                    false, 525, 0, 0},
        // trunc(739 / 2)
        PictureCase{"FileGoneSinceListed", 769, [] { return fixtures::WritePng(4, 4, Solid(kTeal)); },
                    true, 369, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Names of different patterns, so the rows' order does not depend on the
// order in which the system lists the folder.
const char* const kRows[] = {"a.jpg", "b.png", "c.gif"};

class HoverRows : public HoverTest {
 protected:
  void SetUp() override {
    HoverTest::SetUp();
    for (const char* name : kRows) folder_.Empty(name);
    ListFolder(folder_, 1080);
  }
  std::string ReadOf(int row) const { return "ReadWholeFile(" + folder_.PathOf(kRows[row]) + ")"; }
  static int Count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
  }
  PictureFolder folder_;
};

TEST_F(HoverRows, RowComesFromYInRowsOf18AndStopsAtTheLastItem) {
  struct RowCase {
    int y;
    int row;
  };
  // -1 arrives as 65535, as a pointer above the list does while it holds
  // the mouse capture.
  const RowCase cases[] = {{0, 0},  {17, 0}, {18, 1},   {35, 1}, {36, 2},
                           {53, 2}, {54, 2}, {1000, 2}, {-1, 2}};
  for (const RowCase& c : cases) {
    platform::SetListSelection(列表框1, -1);
    null::ClearOperations();
    null::RaiseMouseMoved(列表框1, 3, c.y);
    EXPECT_EQ(platform::ListSelection(列表框1), c.row) << "y " << c.y;
    EXPECT_EQ(Count(null::Operations(), ReadOf(c.row)), 1) << "y " << c.y;
  }
}

TEST_F(HoverRows, BeyondTheLastRowEveryMovementShowsThePictureAgain) {
  null::RaiseMouseMoved(列表框1, 3, 1000);
  platform::SetVisible(PreviewWindow, false);
  null::RaiseMouseMoved(列表框1, 3, 2000);

  auto lines = null::Operations();
  EXPECT_EQ(Count(lines, ReadOf(2)), 2);
  EXPECT_EQ(Count(lines, "SetVisible(PreviewWindow, true)"), 2);
  EXPECT_TRUE(platform::Visible(PreviewWindow));
}

TEST_F(HoverRows, MovingWithinTheShownRowDoesNothingEvenOnceThePreviewIsHidden) {
  null::RaiseMouseMoved(列表框1, 3, 20);
  ASSERT_EQ(Count(null::Operations(), ReadOf(1)), 1);

  null::ClearOperations();
  null::RaiseMouseMoved(列表框1, 80, 18, 1);
  null::RaiseMouseMoved(列表框1, 3, 35);
  EXPECT_EQ(null::Operations(), std::vector<std::string>{});

  // As the watcher leaves it when the pointer has been away: the selection
  // alone decides, so coming back onto the row shows nothing.
  platform::SetVisible(PreviewWindow, false);
  null::ClearOperations();
  null::RaiseMouseMoved(列表框1, 3, 27);
  EXPECT_EQ(null::Operations(), std::vector<std::string>{});
  EXPECT_FALSE(platform::Visible(PreviewWindow));
}

}  // namespace
}  // namespace apptest
