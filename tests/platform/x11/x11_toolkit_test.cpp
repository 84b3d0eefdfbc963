// The X11 toolkit against the X server that xvfb-run gives: geometry within
// X's limits, windows of size 0 kept out of sight, misuse, and window
// operations hammered from two threads at once.
// gtest before Xlib: Xlib's macros (None, Bool) break gtest's templates.
#include <gtest/gtest.h>
#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>

#include "platform/posix/thread_queue.h"
#include "platform/toolkit.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_picture_box.h"
#include "platform/x11/x11_windows.h"

namespace {

using namespace platform;

const ControlDefinition kControls[] = {
    {.name = "list", .kind = ControlKind::ListBox, .left = 0, .top = 20, .width = 95,
     .height = 112, .font = {"sans-serif", 12, 400}, .rowHeight = 18,
     .textColour = {255, 255, 255}, .background = {0, 0, 0}},
};
const WindowDefinition kWindow = {.role = "test", .left = 0, .top = 0, .width = 100,
                                  .height = 141, .background = {0, 0, 0}, .topmost = true,
                                  .visibleWhenLoaded = true, .programIcon = true,
                                  .controls = kControls};
const WindowDefinition kNeverLoaded = {.role = "unloaded", .left = 5, .top = 6, .width = 7,
                                       .height = 8, .background = {0, 0, 0}, .topmost = false,
                                       .visibleWhenLoaded = false, .programIcon = false, .controls = {}};
const Control kTestWindow{&kWindow, -1};
const Control kList{&kWindow, 0};

class X11Toolkit : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    posix::SetUiThread(CurrentThreadId());
    ASSERT_TRUE(x11::Open()) << "no X display";
    posix::SetSystemEventSource(
        {ConnectionNumber(x11::X().display), x11::AnimationTimerFd(), x11::CollectEvents});
    LoadWindow(kTestWindow);
  }

  // The window as the X server has it: position on the root, size, mapped.
  struct Seen {
    int left, top, width, height;
    bool viewable;
  };
  static Seen FromServer(Control window) {
    Display* display = x11::X().display;
    XSync(display, False);
    Window xwindow = static_cast<Window>(WindowHandle(window));
    XWindowAttributes attributes;
    XGetWindowAttributes(display, xwindow, &attributes);
    int left, top;
    Window child;
    XTranslateCoordinates(display, xwindow, x11::X().root, 0, 0, &left, &top, &child);
    return {left, top, attributes.width, attributes.height, attributes.map_state == IsViewable};
  }
};

TEST_F(X11Toolkit, PlacesTheWindowExactlyOffTheLeftEdgeToo) {
  Move(kTestWindow, -97, 425, 100, 200);
  Seen seen = FromServer(kTestWindow);
  EXPECT_EQ(seen.left, -97);
  EXPECT_EQ(seen.top, 425);
  EXPECT_EQ(seen.width, 100);
  EXPECT_EQ(seen.height, 200);
  EXPECT_TRUE(seen.viewable);
  SetLeft(kTestWindow, 0);
  EXPECT_EQ(FromServer(kTestWindow).left, 0);
}

TEST_F(X11Toolkit, KeepsSizesAndPositionsWithinWhatXHolds) {
  // 5,000 rows of 18 pixels do not fit in X's 16-bit sizes; the height read
  // back is what the window really has.
  SetHeight(kTestWindow, 18 * 5000 + 20);
  EXPECT_EQ(Height(kTestWindow), 32767);
  EXPECT_EQ(FromServer(kTestWindow).height, 32767);
  SetTop(kTestWindow, -100000);
  EXPECT_EQ(Top(kTestWindow), -32768);
  EXPECT_EQ(FromServer(kTestWindow).top, -32768);
  Move(kTestWindow, 0, 0, 100, 141);
}

TEST_F(X11Toolkit, KeepsAWindowOfSizeZeroOutOfSight) {
  SetVisible(kTestWindow, true);
  SetWidth(kTestWindow, 0);
  SetHeight(kTestWindow, 0);
  EXPECT_EQ(Width(kTestWindow), 0);
  EXPECT_TRUE(Visible(kTestWindow));
  EXPECT_FALSE(FromServer(kTestWindow).viewable);
  Move(kTestWindow, std::nullopt, std::nullopt, 100, 141);
  EXPECT_TRUE(FromServer(kTestWindow).viewable);
}

TEST_F(X11Toolkit, WritesToAWindowThatIsNotLoadedChangeOnlyItsRecord) {
  Control unloaded{&kNeverLoaded, -1};
  SetLeft(unloaded, 50);
  SetVisible(unloaded, true);
  EXPECT_EQ(Left(unloaded), 50);
  EXPECT_FALSE(IsLoaded(unloaded));
}

TEST_F(X11Toolkit, SelectionWritesStayWithinTheRows) {
  for (const char* name : {"a.png", "b.png", "c.png"}) AddItem(kList, name);
  struct Case {
    int written, selected;
  } cases[] = {{1, 1}, {7, 2}, {-1, -1}, {-5, -1}};
  for (auto [written, selected] : cases) {
    SetListSelection(kList, written);
    EXPECT_EQ(ListSelection(kList), selected) << written;
  }
  EXPECT_EQ(ItemText(kList, 2), "c.png");
  EXPECT_EQ(ItemText(kList, 3), "");
}

TEST_F(X11Toolkit, OpacityPropertyCarriesTheAlpha) {
  NativeHandle handle = WindowHandle(kTestWindow);
  SetWindowLongA(handle, kGwlExStyle, kWsExLayered);
  SetLayeredWindowAttributes(handle, 0, 200, 2);
  Display* display = x11::X().display;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(display, static_cast<Window>(handle),
                               x11::X().atoms.netWmWindowOpacity, 0, 1, False, AnyPropertyType,
                               &type, &format, &count, &after, &data),
            Success);
  ASSERT_EQ(count, 1u);
  // Xlib hands 32-bit items over as longs, sign-extended.
  EXPECT_EQ(static_cast<std::uint32_t>(*reinterpret_cast<long*>(data)), 0xC8C8C8C8u);
  XFree(data);
}

// Two threads hammer moves, shows, hides and reads while this, the UI
// thread, serves their writes. Under ThreadSanitizer this is the proof that
// the cross-thread door is sound; everywhere it proves there is no deadlock
// and that the server ends up where the record says.
TEST_F(X11Toolkit, WindowOperationsFromTwoThreadsAtOnce) {
  std::atomic<int> running{2};
  std::atomic<long> reads{0};
  auto hammer = [&](int seed) {
    for (int i = 0; i < 1500; ++i) {
      int left = (i * 7 + seed) % 200 - 100;
      switch (i % 5) {
        case 0: Move(kTestWindow, left); break;
        case 1: SetVisible(kTestWindow, i % 2 == 0); break;
        case 2: SetTop(kTestWindow, (i + seed) % 300); break;
        case 3: SetListSelection(kList, i % 4); break;
        case 4: SetHeight(kTestWindow, 100 + i % 50); break;
      }
      reads += Left(kTestWindow) + Top(kTestWindow) + Width(kTestWindow) + Visible(kTestWindow) +
               ListSelection(kList) > -100000;
    }
    running--;
  };
  std::thread first(hammer, 1), second(hammer, 2);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  while (running > 0 && std::chrono::steady_clock::now() < deadline) {
    ProcessPendingEvents();
    posix::WaitForInput(10);
  }
  ASSERT_EQ(running, 0) << "the writers did not finish: a deadlock";
  first.join();
  second.join();
  EXPECT_EQ(reads, 3000);
  Move(kTestWindow, 3, 40, 100, 141);
  SetVisible(kTestWindow, true);
  Seen seen = FromServer(kTestWindow);
  EXPECT_EQ(seen.left, Left(kTestWindow));
  EXPECT_EQ(seen.top, Top(kTestWindow));
  EXPECT_EQ(seen.height, Height(kTestWindow));
  EXPECT_TRUE(seen.viewable);
}

TEST_F(X11Toolkit, ActsOnAWindowThatIsNotLoadedAreFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Control unloaded{&kNeverLoaded, -1};
  EXPECT_EXIT(
      ([&] {
        unsetenv("DISPLAY");
        Move(unloaded, 1);
      }()),
      testing::ExitedWithCode(255), "Move on the unloaded window");
  EXPECT_EXIT(
      ([&] {
        unsetenv("DISPLAY");
        DestroyWindow(unloaded);
      }()),
      testing::ExitedWithCode(255), "DestroyWindow");
}

}  // namespace
