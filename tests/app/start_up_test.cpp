// The program's entry and its ends: the exit button and Esc on the panel end
// the whole run with 0, Esc on the preview only hides it, and the exit
// routines run once each.
#include <optional>
#include <string>
#include <thread>

#include "app/handlers.h"
#include "app/program_state.h"
#include "app/window_definitions.h"
#include "platform/null/null_control.h"
#include "platform/system.h"
#include "platform/toolkit.h"
#include "tests/app/app_test_fixture.h"

namespace apptest {
namespace {

namespace null = platform::null;

struct EndCase {
  const char* name;
  void (*act)();
};

void ClickExitButton() { null::RaiseClick(图形按钮1); }
void PressEscOnPanel() { null::RaiseEscape(PanelWindow); }

void RunEndCase(void* endCase) { static_cast<const EndCase*>(endCase)->act(); }

// What held when PreviewWindow was destroyed.
struct AtDestroy {
  bool seen = false;
  bool threadsAskedToRun = true;
  Text programFolder;
};

class ProgramEnds : public AppTest, public testing::WithParamInterface<EndCase> {};

// The whole run on the main thread: ProgramMain loads the panel and enters
// the event loop; once the panel is shown, a second thread posts the act to
// the main thread, as the window system would deliver it.
TEST_P(ProgramEnds, DestroysThePreviewThenRunsTheExitRoutineThenEndsWithZero) {
  PictureFolder folder;
  folder.Empty("a.png");
  null::SetRunDirectory(folder.Path());
  // Outside the panel: the watcher writes to both windows on every pass
  // until it is stopped.
  null::SetPointer(600, 0);

  AtDestroy atDestroy;
  null::SetRecordObserver([&](const std::string& line) {
    if (line != "DestroyWindow(PreviewWindow)") return;
    atDestroy.seen = true;
    atDestroy.threadsAskedToRun = platform::ThreadShouldRun();
    atDestroy.programFolder = ProgramFolder;
  });

  platform::ThreadId mainThread = platform::CurrentThreadId();
  std::thread user([&] {
    bool shown = WaitUntil([] {
      auto lines = null::Operations();
      return std::find(lines.begin(), lines.end(), "Show(PanelWindow)") != lines.end();
    });
    if (shown) platform::PostToThread(mainThread, RunEndCase, const_cast<EndCase*>(&GetParam()));
  });

  std::optional<int> exitCode;
  std::string fatal;
  try {
    HangGuard guard("the program's event loop");
    ProgramMain();
  } catch (const null::ProgramEnded& ended) {
    exitCode = ended.exitCode;
  } catch (const null::FatalErrorRaised& error) {
    fatal = error.message;
  }
  user.join();

  EXPECT_EQ(fatal, "");
  EXPECT_EQ(exitCode, 0);
  ASSERT_TRUE(atDestroy.seen) << "PreviewWindow was never destroyed";
  EXPECT_FALSE(atDestroy.threadsAskedToRun) << "the watcher still ran when the preview went";
  EXPECT_EQ(atDestroy.programFolder, folder.Path() + "/")
      << "the exit routine ran before the preview was destroyed";
  EXPECT_EQ(ProgramFolder, "") << "the exit routine did not run before the end";
  EXPECT_FALSE(platform::IsLoaded(PreviewWindow));
  EXPECT_EQ(null::Operations().back(), "DestroyWindow(PreviewWindow)")
      << "something acted on a window after the preview was destroyed";
}

INSTANTIATE_TEST_SUITE_P(Ends, ProgramEnds,
                         testing::Values(EndCase{"ExitButton", ClickExitButton},
                                         EndCase{"EscOnPanel", PressEscOnPanel}),
                         [](const auto& info) { return std::string(info.param.name); });

class StartUp : public AppTest {};

TEST_F(StartUp, EscOnThePreviewHidesItAndTheNextHoverShowsItAgain) {
  PictureFolder folder;
  folder.Empty("a.jpg");
  folder.Empty("b.png");
  LoadPanel(folder, 1080);
  platform::StopProgramThreads();  // no watcher hiding the preview meanwhile

  null::RaiseMouseMoved(列表框1, 10, 5);
  ASSERT_TRUE(platform::Visible(PreviewWindow));
  null::RaiseEscape(PreviewWindow);
  EXPECT_FALSE(platform::Visible(PreviewWindow));
  EXPECT_TRUE(platform::IsLoaded(PreviewWindow));
  EXPECT_TRUE(platform::IsLoaded(PanelWindow));

  // A hidden preview takes the next picture like a shown one.
  null::ClearOperations();
  EXPECT_NO_THROW(null::RaiseMouseMoved(列表框1, 10, 20));
  EXPECT_TRUE(platform::Visible(PreviewWindow));
  EXPECT_EQ(null::Operations().back(), "SetVisible(PreviewWindow, true)");
}

std::string exitRoutineRuns;
void ExitRoutineA() { exitRoutineRuns += 'A'; }
void ExitRoutineB() { exitRoutineRuns += 'B'; }

std::optional<int> ExitCodeOfEnd() {
  try {
    platform::EndProgram(0);
  } catch (const null::ProgramEnded& ended) {
    return ended.exitCode;
  }
}

TEST_F(StartUp, ExitRoutinesRunOnceEachInTheOrderAddedAndOnlyOnce) {
  exitRoutineRuns.clear();
  platform::AddExitRoutine(ExitRoutineA);
  platform::AddExitRoutine(ExitRoutineB);
  platform::AddExitRoutine(ExitRoutineA);

  EXPECT_EQ(ExitCodeOfEnd(), 0);
  EXPECT_EQ(exitRoutineRuns, "AB");
  // The list is emptied once it has run.
  EXPECT_EQ(ExitCodeOfEnd(), 0);
  EXPECT_EQ(exitRoutineRuns, "AB");
}

}  // namespace
}  // namespace apptest
