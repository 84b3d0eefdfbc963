#include "platform/x11/x11_fatal.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <chrono>
#include <cstdlib>

namespace platform::x11 {

void ShowFatalMessage(const std::string& message) {
  if (!std::getenv("DISPLAY")) return;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return;
  int screen = DefaultScreen(display);
  const int width = 480, height = 90;
  int left = (DisplayWidth(display, screen) - width) / 2;
  int top = (DisplayHeight(display, screen) - height) / 2;
  XSetWindowAttributes attributes{};
  attributes.background_pixel = WhitePixel(display, screen);
  attributes.override_redirect = True;
  attributes.event_mask = ExposureMask | KeyPressMask | ButtonPressMask;
  Window window = XCreateWindow(display, RootWindow(display, screen), left, top, width, height, 1,
                                CopyFromParent, InputOutput, CopyFromParent,
                                CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
  XClassHint classHint{const_cast<char*>("fatal"), const_cast<char*>("Picdock")};
  XSetClassHint(display, window, &classHint);
  XStoreName(display, window, "picdock");
  XMapRaised(display, window);
  GC gc = XCreateGC(display, window, 0, nullptr);
  XSetForeground(display, gc, BlackPixel(display, screen));
  const std::string title = "picdock has stopped:";
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  for (;;) {
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == Expose) {
        XDrawString(display, window, gc, 12, 28, title.c_str(), static_cast<int>(title.size()));
        // One line per 70 characters; the message names what failed.
        for (size_t at = 0, line = 0; at < message.size() && line < 3; at += 70, ++line) {
          std::string part = message.substr(at, 70);
          XDrawString(display, window, gc, 12, 48 + static_cast<int>(line) * 16, part.c_str(),
                      static_cast<int>(part.size()));
        }
      } else if (event.type == KeyPress || event.type == ButtonPress) {
        XCloseDisplay(display);
        return;
      }
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left.count()));
  }
  XCloseDisplay(display);
}

}  // namespace platform::x11
