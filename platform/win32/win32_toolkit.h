// What the files of the win32 backend share: the UI thread and its one door
// for other threads, thread messages, and the toolkit's life.
#pragma once

#include <functional>
#include <string>

#include "platform/win32/win32_windows_h.h"

namespace platform::win32 {

// Makes the calling thread the UI thread: registers the window classes and
// creates the hidden window that owns the program's windows (so they get no
// taskbar button) and receives the door's calls. Idempotent.
void InitialiseToolkit();
bool OnUiThread();
HINSTANCE Instance();
HWND OwnerWindow();

// The one door from other threads: runs `call` on the UI thread and waits
// for it (SendMessage to the owner window), inline on the UI thread itself.
// A waiting caller holds no lock, and the UI thread waits for no other thread
// except in StopProgramThreads, which keeps serving these calls; that is what
// keeps the two from waiting for each other. Before the toolkit is
// initialised, or after it has been released, the call runs on the caller.
void RunOnUiThread(const std::function<void()>& call);

// Handlers posted to a thread (PostToThread) travel as thread messages, which
// DispatchMessage can't route to a window procedure; whoever dispatches runs
// them through RunThreadHandler, which is true when the message was one.
void PostThreadHandler(DWORD thread, void (*handler)(void*), void* argument);
bool RunThreadHandler(const MSG& message);
// Translates and dispatches one message taken by the toolkit's own loops.
void DispatchOne(const MSG& message);

// Set while a fatal error is being shown: the program's events are no longer
// raised, so nothing of the program runs inside the message box's loop.
bool Ending();
void SetEnding();

// Destroys what the toolkit made (windows, GDI objects, GDI+). UI thread.
void ReleaseToolkit();

// Shows the fatal error to the user and returns once it has been seen. The
// program shows a message box (win32_fatal_message_box.cpp); tests, which
// nobody watches, link their own.
void ShowFatalMessage(const std::string& message);

}  // namespace platform::win32
