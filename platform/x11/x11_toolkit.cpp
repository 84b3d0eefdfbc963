// The toolkit's operations on X. Reads come from the toolkit's record and
// never wait; writes to a loaded window are carried out on the UI thread,
// which owns the X windows, while the calling thread waits (posix::Send).
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "platform/binder.h"
#include "platform/posix/program.h"
#include "platform/posix/thread_queue.h"
#include "platform/toolkit.h"
#include "platform/window_model.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_fatal.h"
#include "platform/x11/x11_windows.h"

namespace platform {

const char kPathSeparator[] = "/";

namespace {

void OnUiThread(std::function<void()> call) { posix::Send(posix::UiThread(), std::move(call)); }

std::string NameOf(Control control) {
  return control.IsWindow() ? std::string(control.window->role) + " window"
                            : std::string(control.Definition().name);
}

bool Loaded(Control control) {
  std::lock_guard lock(ModelMutex());
  return ModelOf(control.window).loaded;
}

void RequireLoaded(Control control, const char* act) {
  if (!Loaded(control))
    FatalError(std::string(act) + " on the " + NameOf(control) + ", whose window is not loaded");
}

// Position, size and visibility written to a window that is not loaded only
// change its record, which the next load uses.
void WriteGeometry(Control control, int ControlState::*field, int value) {
  {
    std::lock_guard lock(ModelMutex());
    if (!ModelOf(control.window).loaded) {
      StateOf(control).*field = value;
      return;
    }
  }
  OnUiThread([=] {
    {
      std::lock_guard lock(ModelMutex());
      StateOf(control).*field = value;
      if (!ModelOf(control.window).loaded) return;
    }
    x11::SyncGeometry(control);
  });
}

}  // namespace

void SetLeft(Control control, int v) { WriteGeometry(control, &ControlState::left, ClampPosition(v)); }
void SetTop(Control control, int v) { WriteGeometry(control, &ControlState::top, ClampPosition(v)); }
void SetWidth(Control control, int v) { WriteGeometry(control, &ControlState::width, ClampSize(v)); }
void SetHeight(Control control, int v) { WriteGeometry(control, &ControlState::height, ClampSize(v)); }

void SetVisible(Control control, bool visible) {
  {
    std::lock_guard lock(ModelMutex());
    if (!ModelOf(control.window).loaded) {
      StateOf(control).visible = visible;
      return;
    }
    // Hiding a hidden window changes nothing (showing one also activates it).
    if (!visible && !StateOf(control).visible) return;
  }
  OnUiThread([=] {
    {
      std::lock_guard lock(ModelMutex());
      if (!ModelOf(control.window).loaded) {
        StateOf(control).visible = visible;
        return;
      }
      StateOf(control).visible = visible;
    }
    if (control.IsWindow())
      x11::SyncVisibility(control.window, visible);
    else
      x11::SyncGeometry(control);
  });
}

void Move(Control window, std::optional<int> left, std::optional<int> top,
          std::optional<int> width, std::optional<int> height) {
  RequireLoaded(window, "Move");
  // The watcher moves the panel to where it stands on every pass: a move
  // that changes nothing need not wake the UI thread.
  if (MoveChangesNothing(window, left, top, width, height)) return;
  OnUiThread([=] {
    // A move to where the window already stands does nothing.
    if (MoveInModel(window, left, top, width, height)) x11::SyncGeometry(window);
  });
}

void SetPicture(Control pictureBox, ByteData wholeFile) {
  RequireLoaded(pictureBox, "SetPicture");
  // The picture box keeps what it needs of the bytes, not the bytes.
  OnUiThread([&] { x11::SetPictureBytes(pictureBox, std::move(wholeFile)); });
}

int ListSelection(Control list) {
  RequireLoaded(list, "ListSelection");
  return ReadModel(list, &ControlState::selection);
}

void SetListSelection(Control list, int row) {
  RequireLoaded(list, "SetListSelection");
  OnUiThread([=] {
    SelectInModel(list, row);
    x11::DrawControl(list);
  });
}

void AddItem(Control list, const Text& text) {
  RequireLoaded(list, "AddItem");
  OnUiThread([&] {
    AddItemToModel(list, text);
    x11::DrawControl(list);
  });
}

Text ItemText(Control list, int row) {
  RequireLoaded(list, "ItemText");
  return ItemTextOf(list, row);
}

int ItemCount(Control list) {
  RequireLoaded(list, "ItemCount");
  return ItemCountOf(list);
}

void LoadWindow(Control window) {
  OnUiThread([=] {
    {
      std::lock_guard lock(ModelMutex());
      if (ModelOf(window.window).loaded) return;
      LoadModel(window.window);
    }
    x11::CreateXWindow(window.window);
    if (auto created = window.window->onCreated) created();
    if (auto* x = x11::XWindowOf(window.window)) x->loading = false;
    if (Visible(window)) x11::SyncVisibility(window.window, true);
  });
}

void DestroyWindow(Control window) {
  RequireLoaded(window, "DestroyWindow");
  OnUiThread([=] {
    x11::DestroyXWindow(window.window);
    bool anyLeft;
    {
      std::lock_guard lock(ModelMutex());
      UnloadModel(window.window);
      anyLeft = AnyModelLoaded();
    }
    if (!anyLeft) posix::PostQuit(posix::UiThread());
  });
}

bool IsLoaded(Control window) { return Loaded(window); }

NativeHandle WindowHandle(Control window) {
  RequireLoaded(window, "WindowHandle");
  NativeHandle handle = 0;
  OnUiThread([&] {
    if (auto* x = x11::XWindowOf(window.window)) handle = x->window;
  });
  return handle;
}

int ScreenHeight() {
  x11::Connection& x = x11::X();
  int height = DisplayHeight(x.display, x.screen);
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x.display, x.root);
  if (!resources) return height;
  RROutput primary = XRRGetOutputPrimary(x.display, x.root);
  for (int i = 0; i < resources->noutput; ++i) {
    RROutput output = resources->outputs[i];
    if (primary && output != primary) continue;
    XRROutputInfo* info = XRRGetOutputInfo(x.display, resources, output);
    if (info && info->crtc) {
      if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(x.display, resources, info->crtc)) {
        if (crtc->height > 0) height = static_cast<int>(crtc->height);
        XRRFreeCrtcInfo(crtc);
        XRRFreeOutputInfo(info);
        break;
      }
    }
    if (info) XRRFreeOutputInfo(info);
  }
  XRRFreeScreenResources(resources);
  return height;
}

namespace {

// Another thread asks for the pointer on a connection of its own: replies on
// the UI thread's connection would wake the UI thread on every pass.
Display* PointerDisplay() {
  if (posix::OnUiThread()) return x11::X().display;
  thread_local struct Own {
    Display* display = XOpenDisplay(XDisplayString(x11::X().display));
    ~Own() {
      if (display) XCloseDisplay(display);
    }
  } own;
  return own.display ? own.display : x11::X().display;
}

void QueryPointer(int* x, int* y) {
  Display* display = PointerDisplay();
  Window root, child;
  int winX, winY;
  unsigned mask;
  *x = *y = 0;
  XQueryPointer(display, DefaultRootWindow(display), &root, &child, x, y, &winX, &winY, &mask);
}

}  // namespace

int MouseX() {
  int x, y;
  QueryPointer(&x, &y);
  return x;
}

int MouseY() {
  int x, y;
  QueryPointer(&x, &y);
  return y;
}

Text RunDirectory() { return posix::ExecutableFolder(); }

ByteData ReadWholeFile(const Text& name) { return posix::ReadFileBounded(name); }

[[noreturn]] void EndProgram(int exitCode) {
  posix::RunExitSequence();
  x11::Connection& x = x11::X();
  if (x.display) {
    x11::DestroyAllXWindows();
    XCloseDisplay(x.display);
    x.display = nullptr;
  }
  ReleaseBoundLibraries();
  std::exit(exitCode);
}

[[noreturn]] void FatalError(const std::string& message) {
  posix::ReportFatal(message);
  x11::ShowFatalMessage(message);
  std::_Exit(255);
}

}  // namespace platform
