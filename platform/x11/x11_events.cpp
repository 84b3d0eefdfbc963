// The X events of the program's windows, turned into the toolkit's events.
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

#include "platform/posix/thread_queue.h"
#include "platform/toolkit.h"
#include "platform/window_model.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_picture_box.h"
#include "platform/x11/x11_windows.h"

namespace platform::x11 {
namespace {

int KeyState(unsigned state) {
  return (state & ControlMask ? 1 : 0) | (state & ShiftMask ? 2 : 0) | (state & Mod1Mask ? 4 : 0);
}

bool Inside(const XControl& xc, int x, int y) {
  Window root;
  int wx, wy;
  unsigned width, height, border, depth;
  if (!XGetGeometry(X().display, xc.window, &root, &wx, &wy, &width, &height, &border, &depth))
    return false;
  return x >= 0 && y >= 0 && x < static_cast<int>(width) && y < static_cast<int>(height);
}

void Focus(const WindowDefinition* window) {
  XWindow* xw = XWindowOf(window);
  if (xw && xw->mapped) XSetInputFocus(X().display, xw->window, RevertToPointerRoot, CurrentTime);
}

void ButtonEvent(Control button, XControl& xc, const XEvent& event) {
  bool before[2] = {xc.hover, xc.pressed};
  switch (event.type) {
    case EnterNotify: xc.hover = true; break;
    case LeaveNotify: xc.hover = false; break;
    case MotionNotify: xc.hover = Inside(xc, event.xmotion.x, event.xmotion.y); break;
    case ButtonPress:
      if (event.xbutton.button == Button1) xc.pressed = true;
      break;
    case ButtonRelease:
      if (event.xbutton.button != Button1 || !xc.pressed) break;
      xc.pressed = false;
      xc.hover = Inside(xc, event.xbutton.x, event.xbutton.y);
      if (xc.hover) {
        DrawControl(button);
        if (auto clicked = button.Definition().onClicked) clicked();
        return;
      }
      break;
  }
  if (before[0] != xc.hover || before[1] != xc.pressed) DrawControl(button);
}

void ListEvent(Control list, const XEvent& event) {
  if (event.type == MotionNotify) {
    if (auto moved = list.Definition().onMouseMoved)
      moved(event.xmotion.x & 0xFFFF, event.xmotion.y & 0xFFFF, KeyState(event.xmotion.state));
  } else if (event.type == ButtonPress && event.xbutton.button == Button1) {
    // A click selects the row under the pointer, as a list box does.
    int row = event.xbutton.y / list.Definition().rowHeight;
    int rows = ItemCount(list);
    if (row < rows) SetListSelection(list, row);
  }
}

void KeyEvent(Control window, const XKeyEvent& event) {
  KeySym key = XkbKeycodeToKeysym(X().display, static_cast<KeyCode>(event.keycode), 0, 0);
  if (key == XK_Escape) {
    if (auto escape = window.window->onEscape) escape();
  }
}

}  // namespace

void HandleEvent(const XEvent& event) {
  Control control;
  if (!ControlOfXWindow(event.xany.window, &control)) return;
  XWindow* xw = XWindowOf(control.window);
  if (!xw) return;
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0) DrawControl(control);
      return;
    case MapNotify:
      if (control.IsWindow() && xw->focusWhenMapped) {
        xw->focusWhenMapped = false;
        Focus(control.window);
      }
      return;
    case VisibilityNotify:
      // Keeps the window above ordinary windows mapped after it.
      if (control.IsWindow() && control.window->topmost &&
          event.xvisibility.state != VisibilityUnobscured)
        XRaiseWindow(X().display, xw->window);
      return;
    case KeyPress:
      KeyEvent({control.window, -1}, event.xkey);
      return;
    case ButtonPress:
      Focus(control.window);
      break;
  }
  if (control.IsWindow()) return;
  switch (control.Definition().kind) {
    case ControlKind::PictureButton: ButtonEvent(control, xw->controls[control.index], event); break;
    case ControlKind::ListBox: ListEvent(control, event); break;
    case ControlKind::PictureBox: break;
  }
}

void CollectEvents() {
  Display* display = X().display;
  if (!display) return;
  std::vector<XEvent> events;
  while (XPending(display)) {
    XEvent event;
    XNextEvent(display, &event);
    // A run of pointer motions over one window is worth its last position.
    if (event.type == MotionNotify && !events.empty() && events.back().type == MotionNotify &&
        events.back().xmotion.window == event.xmotion.window)
      events.back() = event;
    else
      events.push_back(event);
  }
  for (const XEvent& event : events) posix::Post(posix::UiThread(), [event] { HandleEvent(event); });
  std::uint64_t expirations;
  int timer = AnimationTimerFd();
  if (timer >= 0 && read(timer, &expirations, sizeof expirations) > 0)
    posix::Post(posix::UiThread(), [] { AdvanceAnimations(); });
}

}  // namespace platform::x11
