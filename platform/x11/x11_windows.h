// The X side of the program's windows: one X window per window and per
// control, kept in step with the toolkit's record (window_model.h).
// Everything here runs on the UI thread.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <vector>

#include "platform/window_definition.h"
#include "support/text.h"

namespace platform::x11 {

struct PictureView;  // x11_picture_box.cpp
struct PictureViewDeleter {
  void operator()(PictureView* view) const;
};
using PictureViewPtr = std::unique_ptr<PictureView, PictureViewDeleter>;

struct XControl {
  Window window = 0;
  // PictureButton
  bool hover = false;
  bool pressed = false;
  Pixmap pictures[3] = {0, 0, 0};  // normal, hover, pressed
  // ListBox: a redraw is waiting in the UI thread's queue
  bool redrawPosted = false;
  // PictureBox
  PictureViewPtr picture;
};

struct XWindow {
  Window window = 0;
  std::vector<XControl> controls;
  bool mapped = false;
  bool focusWhenMapped = false;
  // Until its creation event has been handled, nothing shows the window: it
  // is first shown already sized and placed.
  bool loading = true;
};

// The X objects of a loaded window; null when the window is not loaded.
XWindow* XWindowOf(const WindowDefinition* window);
// The window or control that owns an X window, if any.
bool ControlOfXWindow(Window xwindow, Control* control);

// Makes the X windows of a window from its record; shows nothing yet.
void CreateXWindow(const WindowDefinition* window);
void DestroyXWindow(const WindowDefinition* window);
void DestroyAllXWindows();  // at the end of the program

// Brings the X window of a window or control in step with its record:
// position and size within what X can hold, mapped when visible and not
// empty (X takes no window of size 0: such a window is kept out of sight).
void SyncGeometry(Control control);
void SyncVisibility(const WindowDefinition* window, bool activate);
// Moves and sizes a control's X window to its record, mapped when visible.
void PlaceControlWindow(Control control);
// Draws now what the window's picture boxes have waiting: a window's own
// geometry and visibility reach the server only after its pictures do.
void FlushPictureBoxes(const WindowDefinition* window);

// Drawing of the controls (x11_controls.cpp, x11_picture_box.cpp).
void DrawControl(Control control);
void SetPictureBytes(Control pictureBox, ByteData wholeFile);
void MakeButtonPictures(Control button, XControl& x);
void FreeButtonPictures(XControl& x);

// Events of the program's windows (x11_events.cpp).
void HandleEvent(const XEvent& event);
// Moves pending X events and due timers into the UI thread's queue.
void CollectEvents();

}  // namespace platform::x11
