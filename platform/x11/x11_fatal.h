#pragma once

#include <string>

namespace platform::x11 {

// Shows the message in a small window of its own, on a connection of its
// own (the failing thread may be any), until a key or a click dismisses it
// or half a minute has passed. Does nothing without a display.
void ShowFatalMessage(const std::string& message);

}  // namespace platform::x11
