// The harness itself, without the program: what the scenarios read back has
// to be what the server holds, or every scenario would pass or fail for the
// wrong reason.
#include <signal.h>

#include <cerrno>

#include "tests/e2e/scenario.h"

// After GoogleTest, whose names Xlib's None and Bool macros would take.
#include <X11/Xlib.h>

namespace e2e {
namespace {

class HarnessTest : public testing::TestWithParam<Manager> {
 protected:
  XServer screen_{{640, 480, GetParam() == Manager::Openbox}};
};

TEST_P(HarnessTest, ReadsBackTheScreenAWindowAndItsFrame) {
  Picture whole = screen_.Grab({0, 0, 640, 480});
  ASSERT_EQ(whole.Width(), 640);
  ASSERT_EQ(whole.Height(), 480);
  EXPECT_EQ(whole.Dominant(), XServer::kRootColour);

  const Rect placed{200, 150, 120, 90};
  const Rgb green{0, 200, 0};
  unsigned long id = screen_.ShowOrdinaryWindow(placed, green);
  std::optional<WindowInfo> window;
  ASSERT_TRUE(WaitUntil([&] {
    for (const WindowInfo& w : screen_.Windows())
      if (w.id == id && w.viewable) window = w;
    return window.has_value();
  }));
  EXPECT_EQ(window->resName, "ordinary");
  EXPECT_EQ(window->resClass, "E2e");
  EXPECT_EQ(window->rect.width, placed.width);
  EXPECT_EQ(window->rect.height, placed.height);

  Picture inside = screen_.Grab(window->rect);
  EXPECT_EQ(inside.Count([&](Rgb p) { return p == green; }), placed.width * placed.height);
  // Clipped at the screen's edges, not wrapped or refused.
  EXPECT_EQ(screen_.Grab({-10, -10, 20, 20}).Width(), 10);

  if (GetParam() == Manager::Openbox) {
    // The frame check that the scenarios make on the panel can fail: a
    // managed window gets a decorated frame that is larger than itself.
    EXPECT_NE(window->topLevel, window->id);
    EXPECT_GT(window->topLevelRect.height, window->rect.height);
  } else {
    EXPECT_EQ(window->rect, placed);
    EXPECT_EQ(window->topLevel, window->id);
    EXPECT_EQ(window->topLevelRect, window->rect);
  }
}

TEST(HarnessFirstMapTest, RemembersWhereAWindowWasFirstMapped) {
  XServer screen({320, 240});
  // A client of its own, as the program is.
  Display* client = XOpenDisplay(screen.DisplayName().c_str());
  ASSERT_NE(client, nullptr);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  ::Window window =
      XCreateWindow(client, DefaultRootWindow(client), 10, 20, 30, 40, 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
  XMoveResizeWindow(client, window, 15, 25, 50, 60);
  XMapWindow(client, window);
  XMoveWindow(client, window, 100, 110);
  XSync(client, False);
  EXPECT_EQ(screen.RectWhenFirstMapped(window), (Rect{15, 25, 50, 60}));
  EXPECT_EQ(screen.Describe(window)->rect, (Rect{100, 110, 50, 60}));
  XCloseDisplay(client);
}

TEST_P(HarnessTest, MovesThePointer) {
  screen_.MovePointer(3, 477);
  EXPECT_EQ(screen_.Pointer(), std::make_pair(3, 477));
}

INSTANTIATE_TEST_SUITE_P(Managers, HarnessTest, testing::ValuesIn(kBothManagers), ManagerParamName);

LaunchPlan ShellPlan(std::vector<std::string> arguments) {
  LaunchPlan plan;
  plan.programFile = "/bin/sh";
  plan.command = {"{program}"};
  plan.command.insert(plan.command.end(), arguments.begin(), arguments.end());
  plan.matches = [](const WindowInfo&, std::string_view, pid_t) { return false; };
  return plan;
}

TEST(HarnessProgramTest, StartsTheCopyInItsFolderWithTheDisplayAndGivesItsExitCode) {
  XServer screen({320, 240});
  // The copy runs from "/" and finds its pictures beside itself.
  RunningProgram program(screen,
                         ShellPlan({"-c",
                                    "cd \"$(dirname \"$0\")\" && test -s a.png && "
                                    "test \"$(pwd)\" != / && test -n \"$DISPLAY\" && exit 3"}),
                         {{"a.png", {1, 2, 3}}});
  ExitStatus status = program.WaitForExit();
  EXPECT_TRUE(status.ended);
  EXPECT_EQ(status.code, 3) << program.Output();
}

TEST(HarnessProgramTest, KillsAProgramThatIsStillRunning) {
  XServer screen({320, 240});
  pid_t pid;
  {
    RunningProgram program(screen, ShellPlan({"-c", "sleep 60"}), {});
    pid = program.Pid();
    EXPECT_FALSE(program.WaitForExit(200ms).ended);
    EXPECT_TRUE(program.Running());
  }
  EXPECT_EQ(kill(pid, 0), -1);
  EXPECT_EQ(errno, ESRCH);
}

}  // namespace
}  // namespace e2e
