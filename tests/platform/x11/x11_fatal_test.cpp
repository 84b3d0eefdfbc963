// The fatal message on X: a window of its own that a key dismisses, then
// exit code 255.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/toolkit.h"

namespace {

// The mapped top-level window whose WM_CLASS instance is `name`, or 0.
Window FindMapped(Display* display, const char* name) {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    XClassHint hint{};
    XWindowAttributes attributes;
    if (XGetClassHint(display, children[i], &hint)) {
      if (std::strcmp(hint.res_name, name) == 0 &&
          XGetWindowAttributes(display, children[i], &attributes) &&
          attributes.map_state == IsViewable)
        found = children[i];
      XFree(hint.res_name);
      XFree(hint.res_class);
    }
  }
  if (children) XFree(children);
  return found;
}

TEST(X11Fatal, ShowsTheMessageInAWindowAndEndsWith255) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) platform::FatalError("a test of the fatal message");

  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  Window box = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!box && std::chrono::steady_clock::now() < deadline) {
    box = FindMapped(display, "fatal");
    if (!box) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_NE(box, 0u) << "no message window appeared";
  if (box) {
    XEvent key{};
    key.xkey.type = KeyPress;
    key.xkey.display = display;
    key.xkey.window = box;
    key.xkey.keycode = XKeysymToKeycode(display, 0xff0d /* Return */);
    XSendEvent(display, box, False, KeyPressMask, &key);
    XFlush(display);
  }
  int status = 0;
  pid_t ended = 0;
  while ((ended = waitpid(child, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline + std::chrono::seconds(40))
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(ended, child) << "the program did not end";
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 255);
  XCloseDisplay(display);
}

}  // namespace
