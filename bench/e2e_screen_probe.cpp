#include "bench/e2e_screen_probe.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace e2ebench {

namespace {

// Windows of the program come and go between looks; an error about one that
// has gone is an answer, not a failure.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

int Channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  const int shift = __builtin_ctzl(mask);
  const int bits = __builtin_popcountl(mask);
  const unsigned long value = (pixel & mask) >> shift;
  return static_cast<int>(bits >= 8 ? value >> (bits - 8) : value << (8 - bits));
}

}  // namespace

struct ScreenProbe::Connection {
  Display* display = nullptr;
  ::Window root = 0;
  int width = 0, height = 0;
  ~Connection() {
    if (display) XCloseDisplay(display);
  }
};

ScreenProbe::ScreenProbe(const std::string& displayName)
    : connection_(std::make_unique<Connection>()) {
  XSetErrorHandler(IgnoreXError);
  connection_->display = XOpenDisplay(displayName.c_str());
  if (!connection_->display) throw std::runtime_error("can't open display " + displayName);
  const int screen = DefaultScreen(connection_->display);
  connection_->root = RootWindow(connection_->display, screen);
  connection_->width = DisplayWidth(connection_->display, screen);
  connection_->height = DisplayHeight(connection_->display, screen);
}

ScreenProbe::~ScreenProbe() = default;

std::optional<e2e::Rect> ScreenProbe::Geometry(unsigned long window) {
  ::Window root;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  if (!XGetGeometry(connection_->display, window, &root, &x, &y, &width, &height, &border, &depth))
    return std::nullopt;
  return e2e::Rect{x, y, static_cast<int>(width), static_cast<int>(height)};
}

void ScreenProbe::MovePointer(int x, int y) {
  XTestFakeMotionEvent(connection_->display, -1, x, y, CurrentTime);
  XSync(connection_->display, False);
}

double ScreenProbe::Matching(e2e::Rect area, e2e::Rgb colour, int tolerance) {
  const int left = std::max(area.left, 0), top = std::max(area.top, 0);
  const int right = std::min(area.left + area.width, connection_->width);
  const int bottom = std::min(area.top + area.height, connection_->height);
  if (right <= left || bottom <= top) return 0;
  XImage* image = XGetImage(connection_->display, connection_->root, left, top,
                            static_cast<unsigned>(right - left),
                            static_cast<unsigned>(bottom - top), AllPlanes, ZPixmap);
  if (!image) return 0;
  int matching = 0;
  for (int y = 0; y < bottom - top; ++y) {
    for (int x = 0; x < right - left; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      const e2e::Rgb seen{Channel(pixel, image->red_mask), Channel(pixel, image->green_mask),
                          Channel(pixel, image->blue_mask)};
      matching += e2e::Near(seen, colour, tolerance) ? 1 : 0;
    }
  }
  XDestroyImage(image);
  return static_cast<double>(matching) / ((right - left) * (bottom - top));
}

std::optional<double> MillisecondsUntil(Clock::time_point start,
                                        const std::function<bool()>& reached, PollOptions options) {
  const auto deadline = start + options.timeout;
  for (;;) {
    const bool done = reached();
    const auto now = Clock::now();
    if (done) return std::chrono::duration<double, std::milli>(now - start).count();
    if (now >= deadline) return std::nullopt;
    std::this_thread::sleep_for(options.interval);
  }
}

}  // namespace e2ebench
