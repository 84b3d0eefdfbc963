// The X connection and what the X11 backend shares about it.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>

#include "platform/window_definition.h"

namespace platform::x11 {

struct Atoms {
  Atom wmProtocols, wmDeleteWindow, netWmPid, netWmState, netWmStateAbove, netWmStateSkipTaskbar,
      netWmStateSkipPager, netWmWindowType, netWmWindowTypeUtility, netWmWindowOpacity, netWmIcon,
      motifWmHints, utf8String, netWmName;
};

struct Connection {
  Display* display = nullptr;
  int screen = 0;
  Window root = 0;
  Visual* visual = nullptr;
  int depth = 0;
  Colormap colormap = 0;
  Atoms atoms{};
  bool shm = false;  // MIT-SHM usable: same host, extension present
};

// Opens the display named by $DISPLAY; false when there is none.
bool Open();
Connection& X();

unsigned long PixelOf(Rgb colour);

// The system's own words for an X error code, for fatal messages.
std::string ErrorText(int code);

}  // namespace platform::x11
