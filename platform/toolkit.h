// The window toolkit: windows and controls with fixed identities, their
// properties, events, the event loop, threads, and the end of the program.
//
// Threads: every operation may be called from any thread. The thread that
// runs Main and the event loop (the UI thread) owns the windows. A write from
// another thread is carried out by the UI thread while the caller waits;
// reads of position, size and visibility never wait. The UI thread never
// waits for another thread of the program except in the end sequence, which
// first tells the program's threads to stop and keeps serving their pending
// writes until they have, so a thread blocked in a write cannot deadlock it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/window_definition.h"
#include "support/text.h"

namespace platform {

using NativeHandle = std::uintptr_t;

// --- properties (any thread) ---
int Left(Control);
int Top(Control);
int Width(Control);
int Height(Control);
bool Visible(Control);
void SetLeft(Control, int);
void SetTop(Control, int);
void SetWidth(Control, int);
void SetHeight(Control, int);
// true shows the window and makes it the active window; false hides it.
// Written to a window that is not loaded, position, size and visibility only
// change its definition; every other act on such a window is fatal.
void SetVisible(Control, bool);
// What is left out keeps its value.
void Move(Control window, std::optional<int> left, std::optional<int> top = {},
          std::optional<int> width = {}, std::optional<int> height = {});

// --- controls ---
// The control takes the bytes over and keeps what it needs of them.
void SetPicture(Control pictureBox, ByteData wholeFile);
int ListSelection(Control list);
// Selects min(row, rows - 1); a row below 0 clears the selection.
void SetListSelection(Control list, int row);
void AddItem(Control list, const Text& text);
Text ItemText(Control list, int row);  // "" outside 0..rows-1
int ItemCount(Control list);

// --- windows ---
// Creates the window and its controls, raises its creation event, then shows
// it if its definition says visible.
void LoadWindow(Control window);
void DestroyWindow(Control window);
bool IsLoaded(Control window);
NativeHandle WindowHandle(Control window);

// --- system ---
int ScreenHeight();  // of the primary display
int MouseX();
int MouseY();
Text RunDirectory();  // the executable's folder, no trailing separator
extern const char kPathSeparator[];  // "\\" on Windows, "/" elsewhere
ByteData ReadWholeFile(const Text& name);  // empty when it can't be read

// --- events, threads, the end ---
// Dispatches every pending message of the calling thread, leaving a quit
// request queued.
void ProcessPendingEvents();
void StartThread(void (*routine)());
// False once the end sequence has asked the program's threads to stop.
bool ThreadShouldRun();
// Asks the threads started with StartThread to stop and waits until they
// have, serving their pending window writes meanwhile. UI thread only.
void StopProgramThreads();
// Runs until a quit request: posted when the program's last window is gone.
void RunEventLoop();
void AddExitRoutine(void (*routine)());  // adding one twice keeps one
// The end sequence: stops the program's threads, runs the exit routines in
// the order they were added, releases the toolkit, ends the process.
[[noreturn]] void EndProgram(int exitCode);
// Misuse of the toolkit: shows the message and ends the process with -1
// without running the exit routines.
[[noreturn]] void FatalError(const std::string& message);

}  // namespace platform

// The program's entry, called by the toolkit once it has initialised itself
// (the run directory is known and is the current directory).
int ProgramMain();
