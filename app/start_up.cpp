// The program's entry and its ends: the exit button, Esc, the event loop.
#include "app/handlers.h"
#include "app/program_state.h"
#include "app/window_definitions.h"
#include "platform/toolkit.h"

namespace {

void ExitRoutine() { ProgramFolder.clear(); }

void EndWithSuccess() {
  // The watcher acts on both windows from its own thread; it stops before
  // anything is destroyed.
  platform::StopProgramThreads();
  if (platform::IsLoaded(PreviewWindow)) platform::DestroyWindow(PreviewWindow);
  platform::EndProgram(0);
}

}  // namespace

int ProgramMain() {
  platform::AddExitRoutine(ExitRoutine);
  platform::LoadWindow(PanelWindow);
  platform::RunEventLoop();
  platform::EndProgram(0);
}

void ExitButtonClicked() { EndWithSuccess(); }

// Closing the panel would leave an invisible process behind; Esc ends the
// program as the exit button does.
void PanelEscape() { EndWithSuccess(); }

// The preview stays loaded for the next hover.
void PreviewEscape() { platform::SetVisible(PreviewWindow, false); }
