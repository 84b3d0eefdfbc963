// Reads of position, size and visibility, the same on every backend: they
// come from the toolkit's record and never wait for the UI thread.
#include "platform/toolkit.h"
#include "platform/window_model.h"

namespace platform {

int Left(Control control) { return ReadModel(control, &ControlState::left); }
int Top(Control control) { return ReadModel(control, &ControlState::top); }
int Width(Control control) { return ReadModel(control, &ControlState::width); }
int Height(Control control) { return ReadModel(control, &ControlState::height); }
bool Visible(Control control) { return ReadModel(control, &ControlState::visible); }

}  // namespace platform
