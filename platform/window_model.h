// The toolkit's record of every window and control: what each backend keeps
// and reads back, and the rules of the toolkit that do not depend on the
// system (what a load resets, what a selection write selects). A backend
// keeps its system's objects in step with this record.
#pragma once

#include <mutex>
#include <optional>
#include <vector>

#include "platform/window_definition.h"
#include "support/text.h"

namespace platform {

struct ControlState {
  int left = 0, top = 0, width = 0, height = 0;
  bool visible = false;
  std::vector<Text> items;  // list rows
  int selection = -1;
  ByteData picture;
};

struct WindowState {
  bool loaded = false;
  ControlState self;  // position, size, visibility: the definition while not loaded
  std::vector<ControlState> controls;
};

// Guards every record; held only for reads and writes of the record itself.
std::mutex& ModelMutex();
// The record of a window, made from its definition at first use. Caller
// holds ModelMutex.
WindowState& ModelOf(const WindowDefinition* window);
ControlState& StateOf(Control control);

// Marks the window loaded and gives its controls the state of their
// definitions. The window's own position, size and visibility are what was
// last written to it, loaded or not.
void LoadModel(const WindowDefinition* window);
void UnloadModel(const WindowDefinition* window);
bool AnyModelLoaded();
// Forgets every record (tests).
void ResetModels();

// One field of a window's or control's record, read under the lock.
template <typename Value>
Value ReadModel(Control control, Value ControlState::*field) {
  std::lock_guard lock(ModelMutex());
  return StateOf(control).*field;
}

// A list's row text ("" outside 0..rows-1) and row count, read under the
// record's lock.
Text ItemTextOf(Control list, int row);
int ItemCountOf(Control list);

// What positions and sizes are kept within on every real backend: X's
// 16-bit coordinates, which Windows takes as well.
int ClampPosition(int value);
int ClampSize(int value);

// A move as the record takes it: what is left out keeps its value, the rest
// is clamped. MoveChangesNothing tells beforehand; MoveInModel writes and
// tells whether anything changed.
bool MoveChangesNothing(Control window, std::optional<int> left, std::optional<int> top,
                        std::optional<int> width, std::optional<int> height);
bool MoveInModel(Control window, std::optional<int> left, std::optional<int> top,
                 std::optional<int> width, std::optional<int> height);

// A selection write and a new row, in the record.
void SelectInModel(Control list, int row);
void AddItemToModel(Control list, const Text& text);

// The row a selection write of `row` selects in a list of `rows` rows.
int ClampedSelection(int row, int rows);

}  // namespace platform
