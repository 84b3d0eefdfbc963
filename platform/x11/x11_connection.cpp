#include "platform/x11/x11_connection.h"

#include <X11/extensions/XShm.h>

#include <cstdio>

namespace platform::x11 {
namespace {

Connection connection;

// Windows vanish under us (a destroyed preview, an unmapped window still in
// the event queue): asynchronous errors about them are not the program's
// misuse, which the toolkit's own record catches before calling X.
int IgnoreError(Display* display, XErrorEvent* error) {
  if (std::getenv("PICDOCK_X_ERRORS")) {
    char text[256];
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "picdock: X error %s (request %d)\n", text, error->request_code);
  }
  return 0;
}

}  // namespace

bool Open() {
  XInitThreads();
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  XSetErrorHandler(IgnoreError);
  connection.display = display;
  connection.screen = DefaultScreen(display);
  connection.root = RootWindow(display, connection.screen);
  connection.visual = DefaultVisual(display, connection.screen);
  connection.depth = DefaultDepth(display, connection.screen);
  connection.colormap = DefaultColormap(display, connection.screen);
  Atoms& a = connection.atoms;
  auto intern = [&](const char* name) { return XInternAtom(display, name, False); };
  a.wmProtocols = intern("WM_PROTOCOLS");
  a.wmDeleteWindow = intern("WM_DELETE_WINDOW");
  a.netWmPid = intern("_NET_WM_PID");
  a.netWmState = intern("_NET_WM_STATE");
  a.netWmStateAbove = intern("_NET_WM_STATE_ABOVE");
  a.netWmStateSkipTaskbar = intern("_NET_WM_STATE_SKIP_TASKBAR");
  a.netWmStateSkipPager = intern("_NET_WM_STATE_SKIP_PAGER");
  a.netWmWindowType = intern("_NET_WM_WINDOW_TYPE");
  a.netWmWindowTypeUtility = intern("_NET_WM_WINDOW_TYPE_UTILITY");
  a.netWmWindowOpacity = intern("_NET_WM_WINDOW_OPACITY");
  a.netWmIcon = intern("_NET_WM_ICON");
  a.motifWmHints = intern("_MOTIF_WM_HINTS");
  a.utf8String = intern("UTF8_STRING");
  a.netWmName = intern("_NET_WM_NAME");
  // Shared memory only helps on the same host; XShmQueryExtension answers
  // for the server, and the pixel path checks that attaching works.
  connection.shm = XShmQueryExtension(display) && connection.depth >= 24;
  return true;
}

Connection& X() { return connection; }

unsigned long PixelOf(Rgb colour) {
  Visual* visual = connection.visual;
  auto place = [](unsigned long mask, unsigned value) {
    int shift = 0;
    while (mask && !(mask & 1)) {
      mask >>= 1;
      ++shift;
    }
    int bits = 0;
    while (mask & 1) {
      mask >>= 1;
      ++bits;
    }
    return static_cast<unsigned long>(value >> (8 - bits)) << shift;
  };
  return place(visual->red_mask, colour.r) | place(visual->green_mask, colour.g) |
         place(visual->blue_mask, colour.b);
}

std::string ErrorText(int code) {
  char text[256] = "";
  if (connection.display) XGetErrorText(connection.display, code, text, sizeof text);
  return text;
}

}  // namespace platform::x11
