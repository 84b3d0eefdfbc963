// Layered windows on X. The extended style word lives with the toolkit; the
// blending it asks for becomes what X has: the window's opacity property
// (applied where a compositor runs), the colour key a shape that cuts out
// pixels of that colour, and mouse transparency an empty input region.
#include <X11/Xatom.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>

#include <map>
#include <mutex>

#include "platform/posix/thread_queue.h"
#include "platform/system.h"
#include "platform/x11/x11_connection.h"

namespace platform {
namespace {

std::mutex styleMutex;
std::map<NativeHandle, std::int32_t> extendedStyles;

constexpr std::uint32_t kUseColourKey = 1;
constexpr std::uint32_t kUseAlpha = 2;

// Cuts the pixels of colour `key` out of the window's shape, from what the
// window shows now.
void ShapeOutColour(Window window, std::uint32_t key) {
  Display* display = x11::X().display;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
    return;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (!image) return;
  unsigned long keyPixel = x11::PixelOf({static_cast<std::uint8_t>(key & 0xFF),
                                         static_cast<std::uint8_t>(key >> 8 & 0xFF),
                                         static_cast<std::uint8_t>(key >> 16 & 0xFF)});
  Pixmap mask = XCreatePixmap(display, window, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), 1);
  GC gc = XCreateGC(display, mask, 0, nullptr);
  XSetForeground(display, gc, 1);
  XFillRectangle(display, mask, gc, 0, 0, static_cast<unsigned>(attributes.width),
                 static_cast<unsigned>(attributes.height));
  XSetForeground(display, gc, 0);
  for (int y = 0; y < attributes.height; ++y)
    for (int x = 0; x < attributes.width; ++x)
      if ((XGetPixel(image, x, y) & 0xFFFFFF) == keyPixel) XDrawPoint(display, mask, gc, x, y);
  XShapeCombineMask(display, window, ShapeBounding, 0, 0, mask, ShapeSet);
  XFreeGC(display, gc);
  XFreePixmap(display, mask);
  XDestroyImage(image);
}

void ApplyStyle(Window window, std::int32_t style) {
  Display* display = x11::X().display;
  XserverRegion region = 0;
  bool clickThrough = (style & kWsExLayered) && (style & kWsExTransparent);
  if (clickThrough) region = XFixesCreateRegion(display, nullptr, 0);
  // No region restores the default input shape, the window's own.
  XFixesSetWindowShapeRegion(display, window, ShapeInput, 0, 0, region);
  if (region) XFixesDestroyRegion(display, region);
  XFlush(display);
}

}  // namespace

std::int32_t GetWindowLongA(NativeHandle window, int index) {
  if (index != kGwlExStyle) return 0;
  std::lock_guard lock(styleMutex);
  return extendedStyles[window];
}

std::int32_t SetWindowLongA(NativeHandle window, int index, std::int32_t value) {
  if (index != kGwlExStyle) return 0;
  std::int32_t previous;
  {
    std::lock_guard lock(styleMutex);
    previous = extendedStyles[window];
    extendedStyles[window] = value;
  }
  posix::Send(posix::UiThread(), [=] { ApplyStyle(static_cast<Window>(window), value); });
  return previous;
}

int SetLayeredWindowAttributes(NativeHandle window, std::uint32_t colourKey, std::uint8_t alpha,
                               std::uint32_t flags) {
  {
    std::lock_guard lock(styleMutex);
    if (!(extendedStyles[window] & kWsExLayered)) return 0;  // only layered windows blend
  }
  posix::Send(posix::UiThread(), [=] {
    Display* display = x11::X().display;
    Window xwindow = static_cast<Window>(window);
    if (flags & kUseAlpha) {
      unsigned long opacity = static_cast<unsigned long>(alpha) * 0x01010101ul;
      XChangeProperty(display, xwindow, x11::X().atoms.netWmWindowOpacity, XA_CARDINAL, 32,
                      PropModeReplace, reinterpret_cast<unsigned char*>(&opacity), 1);
    } else {
      XDeleteProperty(display, xwindow, x11::X().atoms.netWmWindowOpacity);
    }
    if (flags & kUseColourKey) ShapeOutColour(xwindow, colourKey);
    XFlush(display);
  });
  return 1;
}

}  // namespace platform
