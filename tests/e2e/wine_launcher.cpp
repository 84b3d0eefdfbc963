// The end-to-end scenarios against the Windows build under 32-bit Wine, on
// the same harness: this file gives the launch plan, the window finder and
// the entry of the picdock_e2e_wine_test executable, plus the one scenario
// that only the Windows build has (a system function that can't be bound).
//
// scripts/test-windows runs it with
//   PICDOCK_WINE_PROGRAM  the cross-built picdock.exe
//   PICDOCK_WINE_STUB     a gdiplus.dll that lacks the program's functions
//   WINEPREFIX            a 32-bit prefix made ready for tests
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// Every scenario has a new X server, and Wine's server keeps the screen size
// of the display that it started on: it is ended before each start.
//
// Wine leaves the program's windows to the window manager only when told to
// ("Managed"). It is told not to: a managed window that is hidden makes Wine
// wait up to two seconds for a window manager to withdraw it, and under one
// (openbox) managed windows are framed and kept on the screen, which the
// panel's tucked position is not. The program's windows are then unmanaged X
// windows, as the program's own always-on-top popups are to Windows.
//
// The first program on a display starts Wine's desktop process, which puts
// the pointer in the middle of the screen; the scenarios place the pointer
// before the start, so it is put back once the desktop is up (the registry
// write starts it) and before the program starts. Wine answers
// GetCursorPos from its own record for 100 ms after it moved the pointer, so
// the program starts only once Wine asks the X server again. The program
// replaces the shell, so its process id and exit code are the test's.
constexpr const char* kStartUnderWine =
    "eval \"$(xdotool getmouselocation --shell)\"; "
    "wineserver -k 2>/dev/null; "
    "wine reg add 'HKCU\\Software\\Wine\\X11 Driver' /v Managed /d N /f >/dev/null 2>&1; "
    "xdotool mousemove \"$X\" \"$Y\"; "
    "sleep 0.2; "
    "exec wine \"$0\"";

// Wine names every window of the program after the executable and shows no
// title (the program's windows have none), so the roles are told apart by
// what the program fixes about them: the panel is 100 wide and never right
// of the screen's left edge, the preview always stands at left 110, and the
// fatal error's message box is the program's only other sizeable window.
bool IsProgramWindow(const WindowInfo& window, pid_t pid) {
  return window.resClass == "picdock.exe" && (window.pid == 0 || window.pid == pid);
}

bool PlaysRole(const WindowInfo& window, std::string_view role) {
  bool panel = window.rect.width == 100 && window.rect.left <= 0;
  bool preview = window.rect.left == 110;
  if (role == "panel") return panel;
  if (role == "preview") return preview;
  if (role == "fatal") return !panel && !preview && window.rect.width >= 200 && window.rect.height >= 60;
  return false;
}

}  // namespace

LaunchPlan WinePlan() {
  LaunchPlan plan;
  plan.programFile = Environment("PICDOCK_WINE_PROGRAM");
  plan.command = {"sh", "-c", kStartUnderWine, "{program}"};
  plan.environment = {{"WINEARCH", "win32"},
                      {"WINEPREFIX", Environment("WINEPREFIX")},
                      {"WINEDEBUG", "-all"},
                      {"WINEDLLOVERRIDES", "mscoree,mshtml="}};
  plan.matches = [](const WindowInfo& window, std::string_view role, pid_t pid) {
    return IsProgramWindow(window, pid) && PlaysRole(window, role);
  };
  return plan;
}

namespace {

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(WineOnly, ASystemFunctionThatCantBeBoundIsFatalWithExitCodeMinusOne) {
  std::vector<std::uint8_t> stub = ReadBytes(Environment("PICDOCK_WINE_STUB"));
  ASSERT_FALSE(stub.empty()) << "PICDOCK_WINE_STUB names no stub library";
  XServer screen;
  const int restY = (screen.Height() - 30) / 2;
  screen.MovePointer(97, restY);

  // A gdiplus.dll beside the program that lacks GdiplusStartup. Wine would
  // prefer its own for a system library's name, as Windows does not: n,b
  // makes it load the one beside the program first, as Windows would.
  LaunchPlan plan = WinePlan();
  for (auto& [name, value] : plan.environment) {
    if (name == "WINEDLLOVERRIDES") value += ";gdiplus=n,b";
  }
  std::vector<PictureFile> files = NumberedPictures(10);
  files.push_back({"gdiplus.dll", stub});
  RunningProgram program(screen, plan, files);

  auto panel = program.WaitForWindowState(
      "panel", [](const WindowInfo& w) { return w.viewable && w.rect.left == 0; });
  ASSERT_TRUE(panel) << "no panel; " << Describe(program.WaitForExit(0ms)) << "\n" << program.Output();
  EXPECT_EQ(panel->rect, (Rect{0, 425, 100, 200}));

  // The first hover measures its picture: GdiplusStartup is bound then.
  screen.MovePointer(50, RowCentreY(panel->rect.top, 2));
  auto box = program.WaitForWindow("fatal");
  ASSERT_TRUE(box) << "no message box; " << Describe(program.WaitForExit(0ms));
  EXPECT_TRUE(program.Running()) << "the message box waits for the user";
  auto preview = program.FindWindow("preview");
  EXPECT_TRUE(!preview || !preview->viewable) << "the preview was shown after the fatal error";

  screen.TapKey("Return");
  ExitStatus status = program.WaitForExit();
  ASSERT_TRUE(status.ended) << "the program did not end after the message box";
  EXPECT_EQ(status.code, 255) << "ExitProcess(-1), as the system gives it back: "
                              << Describe(status);
}

}  // namespace
}  // namespace e2e

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (e2e::Environment("PICDOCK_WINE_PROGRAM").empty() || e2e::Environment("WINEPREFIX").empty()) {
    std::fprintf(stderr, "picdock_e2e_wine_test: set PICDOCK_WINE_PROGRAM and WINEPREFIX "
                         "(scripts/test-windows does)\n");
    return 2;
  }
  e2e::SetScenarioPlan(e2e::WinePlan());
  return RUN_ALL_TESTS();
}
