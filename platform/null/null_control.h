// The null backend's controls for tests: a scripted screen and pointer, a
// record of what the program did to its windows, events a test raises, and
// the two ends of the program turned into exceptions a test can catch.
//
// Writes from any thread take effect at once under the record's lock; no
// thread marshals to another, so a test need not run an event loop.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit.h"

namespace platform::null {

// EndProgram throws this once the exit routines have run.
struct ProgramEnded {
  int exitCode;
};
// FatalError throws this instead of ending the process.
struct FatalErrorRaised {
  std::string message;
};

// Forgets every window, the record, and a stop request of the program's
// threads, and restores the defaults: screen height 1080, pointer at (0, 0),
// run directory the executable's.
void Reset();

void SetScreenHeight(int height);
void SetPointer(int x, int y);
void SetRunDirectory(const Text& folder);

// What the program did, one line per act, e.g. "SetTop(PanelWindow, 425)",
// "Move(PreviewWindow, -, 225, -, -)", "SetPicture(图片框1, 1234 bytes)",
// "ReadWholeFile(/tmp/x/a.png)", "LoadWindow(PreviewWindow)".
std::vector<std::string> Operations();
void ClearOperations();

// Called with every line as it is recorded, on the thread that acted and
// under the record's lock: it may look at the program's own state (its
// process-wide values, ThreadShouldRun) but must not call the toolkit, or it
// deadlocks. Shows what held at the moment of an act, such as whether the
// program's threads were stopped when a window was destroyed. Reset() drops
// it; an empty function removes it.
void SetRecordObserver(std::function<void(const std::string& line)> observer);

void RaiseClick(Control button);
void RaiseMouseMoved(Control list, int x, int y, int keys = 0);
void RaiseEscape(Control window);

// The name of a window or control in the record: its role for a window
// ("PanelWindow" for "panel"), its definition's name for a control.
std::string NameOf(Control control);

}  // namespace platform::null
