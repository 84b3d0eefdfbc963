// Start-up and the two ways out: the panel as it first shows, its exit
// button, and Esc.
#include <algorithm>

#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kHelloRed{177, 0, 0};
constexpr Rgb kCloseRed{193, 51, 51};
constexpr Rgb kByebyeRed{124, 0, 0};
constexpr Rgb kLightPink{255, 192, 203};

bool Light(Rgb p) { return p.r >= 200 && p.g >= 200 && p.b >= 200; }

class StartupTest : public Scenario, public testing::WithParamInterface<Manager> {
 protected:
  // Three names make a panel 74 high at top 488 on a 1080-high screen.
  void StartWithThreeNames() {
    Start({1920, 1080, GetParam() == Manager::Openbox}, NumberedPictures(3));
  }
  Rect Button(const WindowInfo& panel) { return {0, panel.rect.top, 100, 20}; }
  // The button as shown once its background has become `background`.
  Picture ButtonShowing(const WindowInfo& panel, Rgb background) {
    Picture button;
    WaitUntil([&] {
      button = Screen().Grab(Button(panel));
      return button.Dominant() == background;
    });
    return button;
  }
};

TEST_P(StartupTest, PanelIsAFramelessBlackStripAtTheLeftEdge) {
  StartWithThreeNames();
  WindowInfo panel = ShownPanel();
  EXPECT_EQ(panel.rect, (Rect{0, 488, 100, 74}));
  EXPECT_EQ(panel.borderWidth, 0);
  EXPECT_EQ(panel.topLevelRect, panel.rect) << "the panel sits in a window manager's frame";

  // Below the button: the list, white names on black, and a 5-pixel black
  // column beside it. A mapped window is not yet a painted one: under Wine
  // the panel's X window is mapped when it is shown, and what the program
  // paints reaches it a few milliseconds later. So the strip is awaited as a
  // user would see it.
  auto black = [](Rgb p) { return p == kBlack; };
  Picture list, column;
  WaitUntil([&] {
    list = Screen().Grab({0, panel.rect.top + 20, 95, 54});
    column = Screen().Grab({95, panel.rect.top + 20, 5, 54});
    return list.Dominant() == kBlack && list.Count(Light) > 0 && column.Count(black) == 5 * 54;
  });
  EXPECT_EQ(list.Dominant(), kBlack);
  EXPECT_GT(list.Count(Light), 0) << "no names drawn in the list";
  EXPECT_EQ(column.Count(black), 5 * 54);
}

// The set-up sizes and places the panel before it is shown: it must not
// flash up anywhere else first.
TEST_P(StartupTest, PanelIsFirstShownAlreadySizedAndPlaced) {
  StartWithThreeNames();
  WindowInfo panel = ShownPanel();
  auto first = Screen().RectWhenFirstMapped(panel.topLevel);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(*first, panel.topLevelRect);
}

TEST_P(StartupTest, PanelAsksToBeSemiTransparentOnTopAndOffTheTaskbar) {
  StartWithThreeNames();
  WindowInfo panel = ShownPanel();
  EXPECT_EQ(panel.pid, Program().Pid()) << "_NET_WM_PID";
  EXPECT_EQ(Screen().Property32(panel.id, "_NET_WM_WINDOW_OPACITY"),
            std::vector<unsigned long>{0xC8C8C8C8ul});
  // A window manager neither frames, lists nor restacks an override-redirect
  // window; a managed one has to ask for all three.
  if (!panel.overrideRedirect) {
    auto state = Screen().AtomNames(panel.id, "_NET_WM_STATE");
    for (const char* wanted :
         {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
      EXPECT_NE(std::find(state.begin(), state.end(), wanted), state.end()) << wanted;
  }
}

TEST_P(StartupTest, PanelStaysAboveAnOrdinaryWindow) {
  StartWithThreeNames();
  WindowInfo panel = ShownPanel();
  const Rgb green{0, 200, 0};
  Screen().ShowOrdinaryWindow({0, 0, 400, 1080}, green);
  ASSERT_TRUE(WaitUntil([&] {
    return Screen().Grab({200, 100, 50, 50}).Dominant() == green;
  })) << "the ordinary window never showed";
  Picture button;
  bool above = WaitUntil([&] {
    button = Screen().Grab(Button(panel));
    return button.Dominant() == kHelloRed;
  });
  EXPECT_TRUE(above) << "the button area shows " << Describe(button.Dominant());
}

TEST_P(StartupTest, ExitButtonShowsThreePicturesAndItsClickEndsTheProgram) {
  StartWithThreeNames();
  WindowInfo panel = ShownPanel();

  Picture normal = ButtonShowing(panel, kHelloRed);
  EXPECT_EQ(normal.Dominant(), kHelloRed) << "at rest";
  EXPECT_GT(normal.Count([](Rgb p) { return Near(p, kWhite, 8); }), 0) << "no white text";

  Screen().MovePointer(50, panel.rect.top + 10);
  Picture over = ButtonShowing(panel, kCloseRed);
  EXPECT_EQ(over.Dominant(), kCloseRed) << "with the pointer over it";
  EXPECT_GT(over.Count([](Rgb p) { return Near(p, kLightPink, 12); }), 0) << "no pink text";

  Screen().PressButton();
  Picture pressed = ButtonShowing(panel, kByebyeRed);
  EXPECT_EQ(pressed.Dominant(), kByebyeRed) << "held down";
  EXPECT_GT(pressed.Count(Light), 0) << "no light text";

  EXPECT_GT(normal.Differences(over), 0);
  EXPECT_GT(over.Differences(pressed), 0);
  EXPECT_GT(normal.Differences(pressed), 0);
  EXPECT_TRUE(Program().Running()) << "pressing alone must not end the program";

  Screen().ReleaseButton();
  ExitStatus status = Program().WaitForExit(1s);
  EXPECT_TRUE(status.ended) << "still running one second after the click";
  EXPECT_EQ(status.code, 0) << Describe(status);
}

TEST_P(StartupTest, ReleasingOffTheButtonDoesNotEndTheProgram) {
  StartWithThreeNames();
  WindowInfo panel = ShownPanel();
  Screen().MovePointer(50, panel.rect.top + 10);
  Screen().PressButton();
  Screen().MovePointer(97, panel.rect.top + 40);
  Screen().ReleaseButton();
  EXPECT_FALSE(Program().WaitForExit(500ms).ended);
  EXPECT_EQ(ButtonShowing(panel, kHelloRed).Dominant(), kHelloRed) << "back at rest";
}

// Esc right after the start relies on the panel taking the keyboard focus
// when it is shown; after a click beside the list, on the click giving it.
struct EscapeCase {
  const char* name;
  bool clickFirst;
};
void PrintTo(const EscapeCase& c, std::ostream* out) { *out << c.name; }

class EscapeTest : public Scenario,
                   public testing::WithParamInterface<std::tuple<Manager, EscapeCase>> {};

TEST_P(EscapeTest, EscOnThePanelEndsTheProgram) {
  auto [manager, escape] = GetParam();
  Start({1920, 1080, manager == Manager::Openbox}, NumberedPictures(3));
  WindowInfo panel = ShownPanel();
  if (escape.clickFirst) Screen().Click(97, panel.rect.top + 40);
  Screen().TapKey("Escape");
  ExitStatus status = Program().WaitForExit();
  EXPECT_TRUE(status.ended);
  EXPECT_EQ(status.code, 0) << Describe(status);
}

INSTANTIATE_TEST_SUITE_P(Managers, StartupTest, testing::ValuesIn(kBothManagers), ManagerParamName);
INSTANTIATE_TEST_SUITE_P(
    Managers, EscapeTest,
    testing::Combine(testing::ValuesIn(kBothManagers),
                     testing::Values(EscapeCase{"RightAfterStart", false},
                                     EscapeCase{"AfterAClickBesideTheList", true})),
    [](const auto& info) {
      return ManagerName(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name;
    });

}  // namespace
}  // namespace e2e
