#include "platform/x11/x11_windows.h"

#include <X11/Xatom.h>
#include <unistd.h>

#include <map>

#include "platform/program_icon.h"
#include "platform/window_model.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_picture_box.h"

namespace platform::x11 {
namespace {

std::map<const WindowDefinition*, XWindow> windows;
std::map<Window, Control> owners;

constexpr long kWindowEvents = ExposureMask | KeyPressMask | StructureNotifyMask |
                               VisibilityChangeMask | ButtonPressMask | FocusChangeMask;
constexpr long kButtonEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask |
                               EnterWindowMask | LeaveWindowMask | PointerMotionMask;
constexpr long kListEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

void SetCardinal(Window window, Atom property, unsigned long value) {
  XChangeProperty(X().display, window, property, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&value), 1);
}

// Hints for window managers and compositors. The windows are
// override-redirect, so no manager frames, moves or lists them, and they
// stand exactly where the program puts them, off the screen's edge
// included; the hints tell the same to whoever looks.
void DescribeWindow(Window window, const WindowDefinition* definition) {
  Connection& x = X();
  Atoms& a = x.atoms;
  XClassHint classHint{const_cast<char*>(definition->role), const_cast<char*>("Picdock")};
  XSetClassHint(x.display, window, &classHint);
  XStoreName(x.display, window, "");
  SetCardinal(window, a.netWmPid, static_cast<unsigned long>(getpid()));
  XWMHints hints{};
  hints.flags = InputHint;
  hints.input = True;
  XSetWMHints(x.display, window, &hints);
  XChangeProperty(x.display, window, a.netWmWindowType, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&a.netWmWindowTypeUtility), 1);
  Atom state[3] = {a.netWmStateSkipTaskbar, a.netWmStateSkipPager, a.netWmStateAbove};
  XChangeProperty(x.display, window, a.netWmState, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(state), definition->topmost ? 3 : 2);
  long motif[5] = {2 /* decorations */, 0, 0, 0, 0};
  XChangeProperty(x.display, window, a.motifWmHints, a.motifWmHints, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(motif), 5);
  if (definition->programIcon) {
    static const std::vector<unsigned long> icon = [] {
      auto pixels = DrawProgramIcon();
      std::vector<unsigned long> data{kProgramIconSize, kProgramIconSize};
      data.insert(data.end(), pixels.begin(), pixels.end());
      return data;
    }();
    XChangeProperty(x.display, window, a.netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(icon.data()),
                    static_cast<int>(icon.size()));
  }
}

Window MakeXWindow(Window parent, const ControlState& state, Rgb background, long events,
                   bool overrideRedirect) {
  Connection& x = X();
  XSetWindowAttributes attributes{};
  attributes.background_pixel = PixelOf(background);
  attributes.border_pixel = 0;
  attributes.override_redirect = overrideRedirect;
  attributes.event_mask = events;
  attributes.colormap = x.colormap;
  unsigned long mask = CWBackPixel | CWBorderPixel | CWOverrideRedirect | CWEventMask | CWColormap;
  return XCreateWindow(x.display, parent, state.left, state.top,
                       static_cast<unsigned>(std::max(state.width, 1)),
                       static_cast<unsigned>(std::max(state.height, 1)), 0, x.depth, InputOutput,
                       x.visual, mask, &attributes);
}

ControlState Snapshot(Control control) {
  std::lock_guard lock(ModelMutex());
  ControlState state = StateOf(control);
  state.items.clear();
  state.picture.clear();
  return state;
}

}  // namespace

XWindow* XWindowOf(const WindowDefinition* window) {
  auto found = windows.find(window);
  return found == windows.end() ? nullptr : &found->second;
}

bool ControlOfXWindow(Window xwindow, Control* control) {
  auto found = owners.find(xwindow);
  if (found == owners.end()) return false;
  *control = found->second;
  return true;
}

void CreateXWindow(const WindowDefinition* definition) {
  Connection& x = X();
  XWindow& xw = windows[definition];
  ControlState self = Snapshot({definition, -1});
  xw.window = MakeXWindow(x.root, self, definition->background, kWindowEvents, True);
  owners[xw.window] = {definition, -1};
  DescribeWindow(xw.window, definition);
  xw.controls.resize(definition->controls.size());
  for (int i = 0; i < static_cast<int>(definition->controls.size()); ++i) {
    const ControlDefinition& control = definition->controls[i];
    ControlState state = Snapshot({definition, i});
    long events = control.kind == ControlKind::PictureButton ? kButtonEvents
                  : control.kind == ControlKind::ListBox     ? kListEvents
                                                             : ExposureMask;
    Rgb background = control.kind == ControlKind::PictureButton ? definition->background
                                                                : control.background;
    XControl& xc = xw.controls[i];
    xc.window = MakeXWindow(xw.window, state, background, events, False);
    owners[xc.window] = {definition, i};
    if (control.kind == ControlKind::PictureButton) MakeButtonPictures({definition, i}, xc);
    if (control.kind == ControlKind::PictureBox) xc.picture = MakePictureView();
    PlaceControlWindow({definition, i});
  }
  XFlush(x.display);
}

void DestroyXWindow(const WindowDefinition* definition) {
  auto found = windows.find(definition);
  if (found == windows.end()) return;
  XWindow& xw = found->second;
  for (XControl& xc : xw.controls) {
    FreeButtonPictures(xc);
    xc.picture.reset();
    owners.erase(xc.window);
  }
  owners.erase(xw.window);
  XDestroyWindow(X().display, xw.window);
  XFlush(X().display);
  windows.erase(found);
}

void DestroyAllXWindows() {
  while (!windows.empty()) DestroyXWindow(windows.begin()->first);
}

void PlaceControlWindow(Control control) {
  XWindow* xw = XWindowOf(control.window);
  if (!xw) return;
  Display* display = X().display;
  ControlState state = Snapshot(control);
  XControl& xc = xw->controls[control.index];
  if (state.width <= 0 || state.height <= 0) {
    XUnmapWindow(display, xc.window);
    return;
  }
  XMoveResizeWindow(display, xc.window, state.left, state.top, static_cast<unsigned>(state.width),
                    static_cast<unsigned>(state.height));
  if (state.visible) XMapWindow(display, xc.window);
  else XUnmapWindow(display, xc.window);
}

void SyncGeometry(Control control) {
  XWindow* xw = XWindowOf(control.window);
  if (!xw) return;
  Display* display = X().display;
  if (control.IsWindow()) {
    FlushPictureBoxes(control.window);
    ControlState state = Snapshot(control);
    if (state.width > 0 && state.height > 0)
      XMoveResizeWindow(display, xw->window, state.left, state.top,
                        static_cast<unsigned>(state.width), static_cast<unsigned>(state.height));
    SyncVisibility(control.window, false);
  } else if (control.Definition().kind == ControlKind::PictureBox) {
    // The box takes its new place when its picture is drawn at that size,
    // so it never shows an empty area while the picture is decoded.
    DrawControl(control);
  } else {
    PlaceControlWindow(control);
    DrawControl(control);
  }
  XFlush(display);
}

void SyncVisibility(const WindowDefinition* window, bool activate) {
  XWindow* xw = XWindowOf(window);
  if (!xw || xw->loading) return;
  FlushPictureBoxes(window);
  Display* display = X().display;
  ControlState state = Snapshot({window, -1});
  bool shown = state.visible && state.width > 0 && state.height > 0;
  if (shown) {
    if (!xw->mapped) {
      XMapRaised(display, xw->window);
      xw->mapped = true;
      xw->focusWhenMapped = activate;
    } else if (activate) {
      XRaiseWindow(display, xw->window);
      XSetInputFocus(display, xw->window, RevertToPointerRoot, CurrentTime);
    }
  } else if (xw->mapped) {
    XUnmapWindow(display, xw->window);
    xw->mapped = false;
    xw->focusWhenMapped = false;
  }
  for (int i = 0; i < static_cast<int>(xw->controls.size()); ++i)
    if (window->controls[i].kind == ControlKind::PictureBox)
      SetPictureShown(*xw->controls[i].picture, shown);
  XFlush(display);
}

}  // namespace platform::x11

namespace platform::x11 {

void FlushPictureBoxes(const WindowDefinition* window) {
  XWindow* xw = XWindowOf(window);
  if (!xw) return;
  for (XControl& xc : xw->controls)
    if (xc.picture) PaintIfPending(*xc.picture);
}

}  // namespace platform::x11
