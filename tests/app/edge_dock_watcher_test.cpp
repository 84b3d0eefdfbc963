// The edge-docking watcher, on the thread the panel set-up starts: it tucks
// the panel away while the pointer is outside it, leaving a 3-pixel strip,
// brings it back when the pointer touches the strip, and hides the preview.
// Ten names make a panel 100 x 200 at top 425 on a 1080-high screen; its far
// column (x 100) and far row (y 625) count as inside.
#include <algorithm>
#include <string>

#include "app/window_definitions.h"
#include "platform/null/null_control.h"
#include "platform/toolkit.h"
#include "tests/app/app_test_fixture.h"

namespace apptest {
namespace {

namespace null = platform::null;

constexpr int kTucked = 3 - 100;

enum class Start { Shown, Tucked, RightOfTheEdge };

struct WatchCase {
  const char* name;
  Start start;
  int x, y;
  int left;  // where the panel stands afterwards
  bool previewHidden;
};

class Watcher : public AppTest, public testing::WithParamInterface<WatchCase> {
 protected:
  void StartWatching(Start start) {
    for (int i = 0; i < 10; ++i) folder_.Empty("p" + std::to_string(i) + ".png");
    if (start == Start::RightOfTheEdge) {
      // Written before the load, the left is the panel's from its start.
      platform::SetLeft(PanelWindow, 5);
    }
    null::SetPointer(start == Start::Shown ? 50 : 600, 525);
    LoadPanel(folder_, 1080);
    ASSERT_EQ(platform::Top(PanelWindow), 425);
    ASSERT_EQ(platform::Height(PanelWindow), 200);
    if (start == Start::Tucked) {
      ASSERT_TRUE(WaitUntil([] { return platform::Left(PanelWindow) == kTucked; }))
          << "the panel never tucked away";
    }
  }

  // Every pass writes one or two lines while the pointer is outside the
  // panel or the panel is at the edge or left of it. Three new lines mean
  // that a pass which began after this call has acted.
  static void WaitForAWholePass() {
    size_t before = null::Operations().size();
    ASSERT_TRUE(WaitUntil([&] { return null::Operations().size() >= before + 3; }))
        << "the watcher stopped making passes";
  }

  PictureFolder folder_;
};

TEST_P(Watcher, ReactsToThePointer) {
  const WatchCase& c = GetParam();
  StartWatching(c.start);
  if (HasFatalFailure()) return;

  null::SetPointer(c.x, c.y);
  WaitForAWholePass();
  // Shown now, after every pass with the old pointer: only a pass that finds
  // the pointer outside hides it again.
  platform::SetVisible(PreviewWindow, true);
  null::ClearOperations();
  WaitForAWholePass();
  if (HasFatalFailure()) return;

  EXPECT_EQ(platform::Left(PanelWindow), c.left);
  EXPECT_EQ(platform::Visible(PreviewWindow), !c.previewHidden);
  if (c.start == Start::RightOfTheEdge) {
    auto lines = null::Operations();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.starts_with("Move("); }),
              0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Watcher,
    testing::Values(WatchCase{"FarColumnIsInside", Start::Shown, 100, 525, 0, false},
                    WatchCase{"RightOfTheFarColumnTucks", Start::Shown, 101, 525, kTucked, true},
                    WatchCase{"OverThePreviewTucks", Start::Shown, 200, 525, kTucked, true},
                    WatchCase{"StripBringsItBack", Start::Tucked, 3, 525, 0, false},
                    WatchCase{"RightOfTheStripStaysTucked", Start::Tucked, 4, 525, kTucked, true},
                    WatchCase{"FarRowIsInside", Start::Tucked, 0, 625, 0, false},
                    WatchCase{"AboveThePanelStaysTucked", Start::Tucked, 0, 424, kTucked, true},
                    WatchCase{"BelowThePanelStaysTucked", Start::Tucked, 0, 626, kTucked, true},
                    WatchCase{"RightOfTheEdgeIsNeverMoved", Start::RightOfTheEdge, 600, 525, 5,
                              true}),
    [](const auto& info) { return std::string(info.param.name); });

class WatcherStop : public AppTest {};

TEST_F(WatcherStop, StopProgramThreadsReturnsAndTheWatcherActsNoMore) {
  PictureFolder folder;
  folder.Empty("a.png");
  null::SetPointer(600, 0);
  LoadPanel(folder, 1080);
  ASSERT_TRUE(WaitUntil([] { return !null::Operations().empty() &&
                                    IsWatcherLine(null::Operations().back()); }))
      << "the watcher never ran";

  {
    HangGuard guard("StopProgramThreads");
    platform::StopProgramThreads();
  }
  EXPECT_FALSE(platform::ThreadShouldRun());
  size_t lines = null::Operations().size();
  // Three passes' time, had the watcher gone on.
  std::this_thread::sleep_for(350ms);
  EXPECT_EQ(null::Operations().size(), lines);
}

}  // namespace
}  // namespace apptest
