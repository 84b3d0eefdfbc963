// The edge-docking watcher: the panel tucks away when the pointer leaves it,
// leaving a 3-pixel strip, and comes back when the pointer touches the strip.
// Ten names make a panel 100 x 200 at top 425 on a 1080-high screen; both
// its far column (x 100) and its far row (y 625) count as inside.
#include <thread>

#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

constexpr int kTop = 425;
constexpr int kTuckedLeft = 3 - 100;

class WatcherScenario : public Scenario {
 protected:
  void StartTenNames(Manager manager) {
    Start({1920, 1080, manager == Manager::Openbox}, NumberedPictures(10));
    WindowInfo panel = ShownPanel();
    ASSERT_EQ(panel.rect, (Rect{0, kTop, 100, 200}));
  }
  std::optional<WindowInfo> PanelAtLeft(int left) {
    return Program().WaitForWindowState("panel",
                                        [=](const WindowInfo& w) { return w.rect.left == left; });
  }
  void Tuck() {
    Screen().MovePointer(600, 525);
    auto panel = PanelAtLeft(kTuckedLeft);
    ASSERT_TRUE(panel.has_value());
    ASSERT_EQ(panel->rect.left, kTuckedLeft) << "the panel never tucked away";
  }
};

struct WatchCase {
  const char* name;
  bool startTucked;
  int x, y;
  int left;  // where the panel stands afterwards
};
void PrintTo(const WatchCase& c, std::ostream* out) { *out << c.name; }

class WatcherTest : public WatcherScenario,
                    public testing::WithParamInterface<std::tuple<Manager, WatchCase>> {};

TEST_P(WatcherTest, PanelFollowsThePointer) {
  auto [manager, watch] = GetParam();
  StartTenNames(manager);
  if (!HasFatalFailure() && watch.startTucked) Tuck();
  if (HasFatalFailure()) return;
  int before = watch.startTucked ? kTuckedLeft : 0;

  Screen().MovePointer(watch.x, watch.y);
  std::optional<WindowInfo> panel;
  if (watch.left != before) {
    panel = PanelAtLeft(watch.left);
  } else {
    // Nothing is to happen: give the watcher several passes to get it wrong.
    std::this_thread::sleep_for(600ms);
    panel = Program().FindWindow("panel");
  }
  ASSERT_TRUE(panel.has_value());
  EXPECT_EQ(panel->rect.left, watch.left);
  EXPECT_EQ(panel->rect.top, kTop) << "the watcher moves the left edge only";
  EXPECT_EQ(panel->rect.width, 100);
  EXPECT_EQ(panel->rect.height, 200);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WatcherTest,
    testing::Combine(
        testing::ValuesIn(kBothManagers),
        testing::Values(WatchCase{"FarColumnIsInside", false, 100, 525, 0},
                        WatchCase{"OnePastTheFarColumnTucks", false, 101, 525, kTuckedLeft},
                        WatchCase{"AboveTheShownPanelTucks", false, 50, kTop - 1, kTuckedLeft},
                        WatchCase{"FarRowIsInside", false, 50, kTop + 200, 0},
                        WatchCase{"StripBringsItBack", true, 0, 525, 0},
                        WatchCase{"ColumnRightOfTheStripBringsItBack", true, 3, 525, 0},
                        WatchCase{"FourthColumnStaysTucked", true, 4, 525, kTuckedLeft},
                        WatchCase{"TopRowOfTheStripBringsItBack", true, 0, kTop, 0},
                        WatchCase{"FarRowOfTheStripBringsItBack", true, 0, kTop + 200, 0},
                        WatchCase{"EdgeAboveThePanelStaysTucked", true, 0, kTop - 1, kTuckedLeft},
                        WatchCase{"EdgeBelowThePanelStaysTucked", true, 0, kTop + 201,
                                  kTuckedLeft})),
    [](const auto& info) {
      return ManagerName(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name;
    });

class WatcherExitTest : public WatcherScenario, public testing::WithParamInterface<Manager> {};

TEST_P(WatcherExitTest, ExitButtonWorksOnceThePanelIsBack) {
  StartTenNames(GetParam());
  if (!HasFatalFailure()) Tuck();
  if (HasFatalFailure()) return;
  // On the button's height, so that no row is hovered on the way.
  Screen().MovePointer(1, kTop + 5);
  auto back = PanelAtLeft(0);
  ASSERT_TRUE(back && back->rect.left == 0) << "the panel never came back";
  Screen().Click(50, kTop + 10);
  ExitStatus status = Program().WaitForExit();
  EXPECT_TRUE(status.ended);
  EXPECT_EQ(status.code, 0) << Describe(status);
}

// The end sequence has to stop a watcher that is in the middle of moving the
// panel without the two waiting for each other. Esc goes to the panel: no row
// is hovered, so the preview never takes the keyboard.
TEST_P(WatcherExitTest, EscEndsTheProgramWhileThePanelIsMoving) {
  StartTenNames(GetParam());
  if (HasFatalFailure()) return;
  for (int i = 0; i < 3; ++i) {
    Screen().MovePointer(600, 525);
    std::this_thread::sleep_for(150ms);
    Screen().MovePointer(1, kTop + 5);
    std::this_thread::sleep_for(150ms);
  }
  Screen().MovePointer(600, 525);
  std::this_thread::sleep_for(30ms);
  Screen().TapKey("Escape");
  ExitStatus status = Program().WaitForExit();
  EXPECT_TRUE(status.ended);
  EXPECT_EQ(status.code, 0) << Describe(status);
}

INSTANTIATE_TEST_SUITE_P(Managers, WatcherExitTest, testing::ValuesIn(kBothManagers),
                         ManagerParamName);

}  // namespace
}  // namespace e2e
