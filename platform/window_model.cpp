#include "platform/window_model.h"

#include <algorithm>
#include <map>

namespace platform {
namespace {

std::map<const WindowDefinition*, WindowState>& Models() {
  static auto* models = new std::map<const WindowDefinition*, WindowState>;
  return *models;
}

ControlState InitialState(const ControlDefinition& definition) {
  ControlState state;
  state.left = definition.left;
  state.top = definition.top;
  state.width = definition.width;
  state.height = definition.height;
  state.visible = definition.visible;
  return state;
}

}  // namespace

std::mutex& ModelMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

WindowState& ModelOf(const WindowDefinition* window) {
  auto [found, made] = Models().try_emplace(window);
  if (made) {
    ControlState& self = found->second.self;
    self.left = window->left;
    self.top = window->top;
    self.width = window->width;
    self.height = window->height;
    self.visible = window->visibleWhenLoaded;
  }
  return found->second;
}

ControlState& StateOf(Control control) {
  WindowState& window = ModelOf(control.window);
  if (control.IsWindow()) return window.self;
  if (window.controls.size() != control.window->controls.size()) {
    window.controls.clear();
    for (const auto& definition : control.window->controls)
      window.controls.push_back(InitialState(definition));
  }
  return window.controls[control.index];
}

void LoadModel(const WindowDefinition* window) {
  WindowState& state = ModelOf(window);
  state.loaded = true;
  state.controls.clear();
  for (const auto& definition : window->controls) state.controls.push_back(InitialState(definition));
}

void UnloadModel(const WindowDefinition* window) {
  WindowState& state = ModelOf(window);
  state.loaded = false;
  state.controls.clear();
}

bool AnyModelLoaded() {
  return std::any_of(Models().begin(), Models().end(),
                     [](const auto& entry) { return entry.second.loaded; });
}

Text ItemTextOf(Control list, int row) {
  std::lock_guard lock(ModelMutex());
  const auto& items = StateOf(list).items;
  return row >= 0 && row < static_cast<int>(items.size()) ? items[row] : Text();
}

int ItemCountOf(Control list) {
  std::lock_guard lock(ModelMutex());
  return static_cast<int>(StateOf(list).items.size());
}

int ClampPosition(int value) { return std::clamp(value, -32768, 32767); }
int ClampSize(int value) { return std::clamp(value, 0, 32767); }

bool MoveChangesNothing(Control window, std::optional<int> left, std::optional<int> top,
                        std::optional<int> width, std::optional<int> height) {
  std::lock_guard lock(ModelMutex());
  const ControlState& s = StateOf(window);
  return (!left || ClampPosition(*left) == s.left) && (!top || ClampPosition(*top) == s.top) &&
         (!width || ClampSize(*width) == s.width) && (!height || ClampSize(*height) == s.height);
}

bool MoveInModel(Control window, std::optional<int> left, std::optional<int> top,
                 std::optional<int> width, std::optional<int> height) {
  std::lock_guard lock(ModelMutex());
  ControlState& s = StateOf(window);
  ControlState before = s;
  if (left) s.left = ClampPosition(*left);
  if (top) s.top = ClampPosition(*top);
  if (width) s.width = ClampSize(*width);
  if (height) s.height = ClampSize(*height);
  return before.left != s.left || before.top != s.top || before.width != s.width ||
         before.height != s.height;
}

void SelectInModel(Control list, int row) {
  std::lock_guard lock(ModelMutex());
  ControlState& s = StateOf(list);
  s.selection = ClampedSelection(row, static_cast<int>(s.items.size()));
}

void AddItemToModel(Control list, const Text& text) {
  std::lock_guard lock(ModelMutex());
  StateOf(list).items.push_back(text);
}

void ResetModels() { Models().clear(); }

int ClampedSelection(int row, int rows) {
  int selected = std::min(row, rows - 1);
  return selected < -1 ? -1 : selected;
}

}  // namespace platform
