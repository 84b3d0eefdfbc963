// The toolkit's operations on Win32. Reads come from the toolkit's record and
// never wait; writes to a loaded window are carried out on the UI thread,
// which owns the windows, while the calling thread waits (RunOnUiThread).
#include <algorithm>
#include <mutex>

#include "platform/toolkit.h"
#include "platform/win32/win32_toolkit.h"
#include "platform/win32/win32_windows.h"
#include "platform/window_model.h"

namespace platform {

const char kPathSeparator[] = "\\";

namespace {

using win32::RunOnUiThread;

std::string NameOf(Control control) {
  return control.IsWindow() ? std::string(control.window->role) + " window"
                            : std::string(control.Definition().name);
}

bool Loaded(Control control) {
  std::lock_guard lock(ModelMutex());
  return ModelOf(control.window).loaded;
}

void RequireLoaded(Control control, const char* act) {
  if (!Loaded(control)) {
    FatalError(std::string(act) + " on the " + NameOf(control) + ", whose window is not loaded");
  }
}

// Position, size and visibility written to a window that is not loaded only
// change its record, which the next load uses.
void WriteGeometry(Control control, int ControlState::*field, int value) {
  RunOnUiThread([=] {
    bool loaded;
    {
      std::lock_guard lock(ModelMutex());
      StateOf(control).*field = value;
      loaded = ModelOf(control.window).loaded;
    }
    if (loaded) win32::SyncGeometry(control);
  });
}

}  // namespace

void SetLeft(Control control, int v) { WriteGeometry(control, &ControlState::left, ClampPosition(v)); }
void SetTop(Control control, int v) { WriteGeometry(control, &ControlState::top, ClampPosition(v)); }
void SetWidth(Control control, int v) { WriteGeometry(control, &ControlState::width, ClampSize(v)); }
void SetHeight(Control control, int v) { WriteGeometry(control, &ControlState::height, ClampSize(v)); }

void SetVisible(Control control, bool visible) {
  RunOnUiThread([=] {
    bool loaded;
    {
      std::lock_guard lock(ModelMutex());
      StateOf(control).visible = visible;
      loaded = ModelOf(control.window).loaded;
    }
    if (!loaded) return;
    if (control.IsWindow()) {
      win32::SyncVisibility(control.window);
    } else {
      win32::SyncGeometry(control);
    }
  });
}

void Move(Control window, std::optional<int> left, std::optional<int> top,
          std::optional<int> width, std::optional<int> height) {
  RunOnUiThread([=] {
    RequireLoaded(window, "Move");
    // A move to where the window already stands does nothing.
    if (MoveInModel(window, left, top, width, height)) win32::SyncGeometry(window);
  });
}

void SetPicture(Control pictureBox, ByteData wholeFile) {
  RunOnUiThread([&] {
    RequireLoaded(pictureBox, "SetPicture");
    win32::NativeWindow* native = win32::NativeWindowOf(pictureBox.window);
    if (native != nullptr && !pictureBox.IsWindow()) {
      win32::SetPictureBytes(native->controls[pictureBox.index].hwnd, wholeFile);
    }
  });
}

int ListSelection(Control list) {
  RequireLoaded(list, "ListSelection");
  return ReadModel(list, &ControlState::selection);
}

void SetListSelection(Control list, int row) {
  RunOnUiThread([=] {
    RequireLoaded(list, "SetListSelection");
    SelectInModel(list, row);
    win32::SyncListSelection(list);
  });
}

void AddItem(Control list, const Text& text) {
  RunOnUiThread([&] {
    RequireLoaded(list, "AddItem");
    AddItemToModel(list, text);
    win32::SyncListRows(list);
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
  win32::InitialiseToolkit();
  RunOnUiThread([=] {
    {
      std::lock_guard lock(ModelMutex());
      if (ModelOf(window.window).loaded) return;
      LoadModel(window.window);
    }
    win32::CreateNativeWindow(window.window);
    if (auto created = window.window->onCreated) created();
    win32::SyncVisibility(window.window);
  });
}

void DestroyWindow(Control window) {
  RunOnUiThread([=] {
    RequireLoaded(window, "DestroyWindow");
    // The window's last moments (WM_NCDESTROY) unload its record and post
    // the quit request when it was the program's last window.
    win32::DestroyNativeWindow(window.window);
  });
}

bool IsLoaded(Control window) { return Loaded(window); }

NativeHandle WindowHandle(Control window) {
  RequireLoaded(window, "WindowHandle");
  NativeHandle handle = 0;
  RunOnUiThread([&] {
    if (win32::NativeWindow* native = win32::NativeWindowOf(window.window)) {
      handle = reinterpret_cast<NativeHandle>(native->hwnd);
    }
  });
  return handle;
}

int ScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }

namespace {
POINT CursorPosition() {
  POINT point{0, 0};
  ::GetCursorPos(&point);
  return point;
}
}  // namespace

int MouseX() { return CursorPosition().x; }
int MouseY() { return CursorPosition().y; }

}  // namespace platform
