#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

#include "platform/binder.h"
#include "platform/null/null_control.h"
#include "platform/posix/program.h"
#include "platform/posix/thread_queue.h"
#include "platform/toolkit.h"
#include "platform/window_model.h"

namespace platform {

const char kPathSeparator[] = "/";

namespace null {
namespace {

struct Scripted {
  int screenHeight = 1080;
  int pointerX = 0, pointerY = 0;
  Text runDirectory;
  std::vector<std::string> operations;
  std::function<void(const std::string&)> observer;
};

Scripted& Script() {
  static auto* script = new Scripted;
  return *script;
}

std::string Value(std::optional<int> v) { return v ? std::to_string(*v) : "-"; }

// Caller holds ModelMutex.
void Record(const std::string& line) {
  Script().operations.push_back(line);
  if (Script().observer) Script().observer(line);
}

void RequireLoaded(Control control, const char* act) {
  if (!ModelOf(control.window).loaded)
    FatalError(std::string(act) + " on " + NameOf(control) + ", a window that is not loaded");
}

}  // namespace

std::string NameOf(Control control) {
  if (!control.IsWindow()) return control.Definition().name;
  std::string role = control.window->role;
  role[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(role[0])));
  return role + "Window";
}

void Reset() {
  posix::ResetProgramThreads();
  posix::SetUiThread(CurrentThreadId());
  std::lock_guard lock(ModelMutex());
  ResetModels();
  Script() = Scripted{};
}

void SetScreenHeight(int height) {
  std::lock_guard lock(ModelMutex());
  Script().screenHeight = height;
}

void SetPointer(int x, int y) {
  std::lock_guard lock(ModelMutex());
  Script().pointerX = x;
  Script().pointerY = y;
}

void SetRunDirectory(const Text& folder) {
  std::lock_guard lock(ModelMutex());
  Script().runDirectory = folder;
}

std::vector<std::string> Operations() {
  std::lock_guard lock(ModelMutex());
  return Script().operations;
}

void ClearOperations() {
  std::lock_guard lock(ModelMutex());
  Script().operations.clear();
}

void SetRecordObserver(std::function<void(const std::string&)> observer) {
  std::lock_guard lock(ModelMutex());
  Script().observer = std::move(observer);
}

void RaiseClick(Control button) {
  if (auto handler = button.Definition().onClicked) handler();
}

void RaiseMouseMoved(Control list, int x, int y, int keys) {
  // The system hands the coordinates over as unsigned 16-bit values.
  if (auto handler = list.Definition().onMouseMoved) handler(x & 0xFFFF, y & 0xFFFF, keys);
}

void RaiseEscape(Control window) {
  if (auto handler = window.window->onEscape) handler();
}

}  // namespace null

using null::NameOf;
using null::Record;
using null::RequireLoaded;
using null::Script;
using null::Value;


#define PICDOCK_WRITE(name, field)                                                    \
  void name(Control control, int value) {                                            \
    std::lock_guard lock(ModelMutex());                                               \
    StateOf(control).field = value;                                                   \
    Record(std::string(#name "(") + NameOf(control) + ", " + std::to_string(value) + ")"); \
  }

PICDOCK_WRITE(SetLeft, left)
PICDOCK_WRITE(SetTop, top)
PICDOCK_WRITE(SetWidth, width)
PICDOCK_WRITE(SetHeight, height)
#undef PICDOCK_WRITE

void SetVisible(Control control, bool visible) {
  std::lock_guard lock(ModelMutex());
  StateOf(control).visible = visible;
  Record("SetVisible(" + NameOf(control) + ", " + (visible ? "true" : "false") + ")");
}

void Move(Control window, std::optional<int> left, std::optional<int> top,
          std::optional<int> width, std::optional<int> height) {
  std::lock_guard lock(ModelMutex());
  RequireLoaded(window, "Move");
  ControlState& state = StateOf(window);
  state.left = left.value_or(state.left);
  state.top = top.value_or(state.top);
  state.width = width.value_or(state.width);
  state.height = height.value_or(state.height);
  Record("Move(" + NameOf(window) + ", " + Value(left) + ", " + Value(top) + ", " + Value(width) +
         ", " + Value(height) + ")");
}

void SetPicture(Control pictureBox, ByteData wholeFile) {
  std::lock_guard lock(ModelMutex());
  RequireLoaded(pictureBox, "SetPicture");
  Record("SetPicture(" + NameOf(pictureBox) + ", " + std::to_string(wholeFile.size()) + " bytes)");
  StateOf(pictureBox).picture = std::move(wholeFile);
}

int ListSelection(Control list) {
  std::lock_guard lock(ModelMutex());
  RequireLoaded(list, "ListSelection");
  return StateOf(list).selection;
}

void SetListSelection(Control list, int row) {
  std::lock_guard lock(ModelMutex());
  RequireLoaded(list, "SetListSelection");
  ControlState& state = StateOf(list);
  state.selection = ClampedSelection(row, static_cast<int>(state.items.size()));
  Record("SetListSelection(" + NameOf(list) + ", " + std::to_string(row) + ")");
}

void AddItem(Control list, const Text& text) {
  std::lock_guard lock(ModelMutex());
  RequireLoaded(list, "AddItem");
  StateOf(list).items.push_back(text);
  Record("AddItem(" + NameOf(list) + ", " + text + ")");
}

Text ItemText(Control list, int row) {
  {
    std::lock_guard lock(ModelMutex());
    RequireLoaded(list, "ItemText");
  }
  return ItemTextOf(list, row);
}

int ItemCount(Control list) {
  std::lock_guard lock(ModelMutex());
  RequireLoaded(list, "ItemCount");
  return static_cast<int>(StateOf(list).items.size());
}

void LoadWindow(Control window) {
  {
    std::lock_guard lock(ModelMutex());
    if (ModelOf(window.window).loaded) return;
    LoadModel(window.window);
    Record("LoadWindow(" + NameOf(window) + ")");
  }
  if (auto created = window.window->onCreated) created();
  std::lock_guard lock(ModelMutex());
  if (StateOf(window).visible) Record("Show(" + NameOf(window) + ")");
}

void DestroyWindow(Control window) {
  std::lock_guard lock(ModelMutex());
  RequireLoaded(window, "DestroyWindow");
  UnloadModel(window.window);
  Record("DestroyWindow(" + NameOf(window) + ")");
}

bool IsLoaded(Control window) {
  std::lock_guard lock(ModelMutex());
  return ModelOf(window.window).loaded;
}

NativeHandle WindowHandle(Control window) {
  std::lock_guard lock(ModelMutex());
  RequireLoaded(window, "WindowHandle");
  return reinterpret_cast<NativeHandle>(window.window);
}

int ScreenHeight() {
  std::lock_guard lock(ModelMutex());
  return Script().screenHeight;
}

int MouseX() {
  std::lock_guard lock(ModelMutex());
  return Script().pointerX;
}

int MouseY() {
  std::lock_guard lock(ModelMutex());
  return Script().pointerY;
}

Text RunDirectory() {
  {
    std::lock_guard lock(ModelMutex());
    if (!Script().runDirectory.empty()) return Script().runDirectory;
  }
  return posix::ExecutableFolder();
}

ByteData ReadWholeFile(const Text& name) {
  {
    std::lock_guard lock(ModelMutex());
    Record("ReadWholeFile(" + name + ")");
  }
  return posix::ReadFileBounded(name);
}

[[noreturn]] void EndProgram(int exitCode) {
  posix::RunExitSequence();
  ReleaseBoundLibraries();
  throw null::ProgramEnded{exitCode};
}

[[noreturn]] void FatalError(const std::string& message) {
  posix::ReportFatal(message);
  throw null::FatalErrorRaised{message};
}

}  // namespace platform
