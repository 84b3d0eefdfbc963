// The panel set-up: the list of the folder's pictures, the panel's height and
// centred top, and the order of its steps.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "app/window_definitions.h"
#include "platform/null/null_control.h"
#include "platform/null/null_layered_record.h"
#include "platform/system.h"
#include "platform/toolkit.h"
#include "tests/app/app_test_fixture.h"

namespace apptest {
namespace {

namespace null = platform::null;

struct GeometryCase {
  const char* name;
  int screenHeight;
  int names;
  int panelHeight, listHeight, top;
};

class PanelGeometry : public AppTest, public testing::WithParamInterface<GeometryCase> {};

TEST_P(PanelGeometry, FitsTheRowsAndCentresThePanel) {
  const GeometryCase& c = GetParam();
  PictureFolder folder;
  for (int i = 0; i < c.names; ++i) folder.Empty("p" + std::to_string(i) + ".png");
  LoadPanel(folder, c.screenHeight);

  EXPECT_EQ(platform::ItemCount(列表框1), c.names);
  EXPECT_EQ(platform::Height(PanelWindow), c.panelHeight);
  EXPECT_EQ(platform::Height(列表框1), c.listHeight);
  EXPECT_EQ(platform::Top(PanelWindow), c.top);
  EXPECT_EQ(platform::Width(PanelWindow), 100);
  EXPECT_EQ(platform::Width(列表框1), 95);
  EXPECT_EQ(ScreenHeight, c.screenHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PanelGeometry,
    testing::Values(GeometryCase{"TenNamesOn1080", 1080, 10, 200, 180, 425},
                    GeometryCase{"NoNamesOn768", 768, 0, 20, 0, 359},
                    // 497.5 - 19 = 478.5
                    GeometryCase{"OneNameOn1025TruncatesTheTop", 1025, 1, 38, 18, 478},
                    // 369.5 - 460 = -90.5: toward zero, not -91
                    GeometryCase{"FiftyNamesOn769ReachAboveTheScreen", 769, 50, 920, 900, -90}),
    [](const auto& info) { return std::string(info.param.name); });

// The threads of this process. The watcher's start makes no record line, so
// the count tells when it started.
int ThreadCount() {
  auto tasks = std::filesystem::directory_iterator("/proc/self/task");
  return static_cast<int>(std::distance(begin(tasks), end(tasks)));
}

// What held when the set-up first dispatched the main thread's messages:
// the folder listing does so after the first name it stores, before any row
// is added.
struct DuringListing {
  int runs = 0;
  int threads = 0;
  std::vector<null::LayeredCall> layeredCalls;
  std::vector<std::string> operations;
  int screenHeight = 0;
  Text programFolder;
};

void LookDuringListing(void* during) {
  auto& seen = *static_cast<DuringListing*>(during);
  seen.runs++;
  seen.threads = ThreadCount();
  seen.layeredCalls = null::LayeredCalls();
  seen.operations = null::Operations();
  seen.screenHeight = ScreenHeight;
  seen.programFolder = ProgramFolder;
  // The top must come from the screen as it is now, not from ScreenHeight.
  null::SetScreenHeight(768);
}

class PanelSetup : public AppTest {};

TEST_F(PanelSetup, StepsComeInOrderAndListThePicturesPatternByPattern) {
  PictureFolder folder;
  for (const char* name : {"b.png", "a.jpg", "c.bmp", "d.gif", "notes.txt"}) folder.Empty(name);
  ASSERT_NE(folder.Path().back(), '/');

  DuringListing during;
  platform::PostToThread(platform::CurrentThreadId(), LookDuringListing, &during);
  int threadsBefore = ThreadCount();
  int threadsAtPreviewLoad = 0;
  null::SetRecordObserver([&](const std::string& line) {
    if (line == "LoadWindow(PreviewWindow)") threadsAtPreviewLoad = ThreadCount();
  });
  LoadPanel(folder, 1080);
  null::SetRecordObserver({});
  int threadsAfter = ThreadCount();
  // Runs the look now if the set-up never dispatched it; it then saw the
  // finished set-up and the checks below say so.
  platform::ProcessPendingEvents();

  ASSERT_EQ(during.runs, 1);
  platform::NativeHandle panel = platform::WindowHandle(PanelWindow);
  using Kind = null::LayeredCallKind;
  std::vector<null::LayeredCall> opacity = {
      {.kind = Kind::SetWindowLong, .window = panel, .index = platform::kGwlExStyle,
       .value = platform::kWsExLayered},
      {.kind = Kind::SetLayeredAttributes, .window = panel, .colourKey = 0, .alpha = 200,
       .flags = 2},
  };
  EXPECT_EQ(during.layeredCalls, opacity) << "the panel was not made 200 of 255 opaque first";
  EXPECT_EQ(during.operations, std::vector<std::string>{"LoadWindow(PanelWindow)"});
  EXPECT_EQ(during.threads, threadsBefore) << "the watcher started before the list was filled";
  EXPECT_EQ(threadsAfter, threadsBefore + 1) << "the set-up did not start the watcher thread";
  EXPECT_EQ(threadsAtPreviewLoad, threadsBefore + 1) << "the watcher started after the preview";
  EXPECT_EQ(during.screenHeight, 1080);
  EXPECT_EQ(during.programFolder, folder.Path() + "/");

  // 4 names: 92 high; the screen is now 768: trunc(369 - 46).
  std::vector<std::string> steps = {
      "LoadWindow(PanelWindow)",
      "AddItem(列表框1, a.jpg)",
      "AddItem(列表框1, b.png)",
      "AddItem(列表框1, d.gif)",
      "AddItem(列表框1, c.bmp)",
      "SetHeight(PanelWindow, 92)",
      "SetHeight(列表框1, 72)",
      "SetTop(PanelWindow, 323)",
      "LoadWindow(PreviewWindow)",
      "Show(PanelWindow)",
  };
  EXPECT_EQ(WithoutWatcherLines(null::Operations()), steps);
  EXPECT_EQ(ScreenHeight, 1080) << "ScreenHeight is read once, at the start of the set-up";
  EXPECT_EQ(ProgramFolder, folder.Path() + "/");

  // The watcher acts, and only once the panel was placed: the pointer at
  // (0, 0) lies above the panel, so it tucks the panel away.
  ASSERT_TRUE(WaitUntil([] { return platform::Left(PanelWindow) == -97; }))
      << "the watcher never moved the panel";
  auto lines = null::Operations();
  auto placed = std::find(lines.begin(), lines.end(), "SetTop(PanelWindow, 323)");
  auto firstWatcherLine = std::find_if(lines.begin(), lines.end(), IsWatcherLine);
  EXPECT_LT(placed, firstWatcherLine) << "the watcher acted before the panel was placed";

  EXPECT_TRUE(platform::IsLoaded(PreviewWindow));
  EXPECT_FALSE(platform::Visible(PreviewWindow));
}

}  // namespace
}  // namespace apptest
