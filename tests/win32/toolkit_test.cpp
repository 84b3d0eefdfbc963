// The win32 toolkit on real windows: what the program's windows are made of,
// its controls' events, and the door from other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/toolkit.h"
#include "platform/win32/win32_windows_h.h"
#include "platform/window_model.h"
#include "tests/win32/tiny_pictures.h"
#include "tests/win32/windows_test_helpers.h"

namespace {

using platform::Control;
using platform::ControlDefinition;
using platform::ControlKind;
using platform::WindowDefinition;

struct Events {
  int clicks = 0, escapes = 0;
  int x = -1, y = -1, keys = -1;
  bool visibleWhenCreated = true;
};
Events gEvents;
const WindowDefinition& TestWindowDefinition();

void Clicked() { ++gEvents.clicks; }
void Escaped() { ++gEvents.escapes; }
void MouseMoved(int x, int y, int keys) {
  gEvents.x = x;
  gEvents.y = y;
  gEvents.keys = keys;
}
void Created() {
  gEvents.visibleWhenCreated =
      ::IsWindowVisible(reinterpret_cast<HWND>(platform::WindowHandle({&TestWindowDefinition(), -1})));
}

const ControlDefinition kControls[] = {
    {.name = "button", .kind = ControlKind::PictureButton, .left = 0, .top = 0, .width = 100,
     .height = 20, .normal = {"Hello", {255, 255, 255}, {177, 0, 0}},
     .hover = {"Close", {255, 192, 203}, {193, 51, 51}},
     .pressed = {"Byebye", {255, 228, 225}, {124, 0, 0}}, .onClicked = Clicked},
    {.name = "list", .kind = ControlKind::ListBox, .left = 0, .top = 20, .width = 95, .height = 112,
     .font = {"\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91", 12, 400}, .rowHeight = 18,
     .textColour = {255, 255, 255}, .background = {0, 0, 0}, .onMouseMoved = MouseMoved},
    {.name = "picture", .kind = ControlKind::PictureBox, .left = 0, .top = 140, .width = 50,
     .height = 30, .background = platform::kButtonFace},
};

const WindowDefinition kWindow = {
    .role = "test", .left = 300, .top = 200, .width = 100, .height = 180,
    .background = {0, 0, 0}, .topmost = true, .visibleWhenLoaded = true, .programIcon = false,
    .onCreated = Created, .onEscape = Escaped, .controls = kControls,
};
const WindowDefinition& TestWindowDefinition() { return kWindow; }

const Control kTestWindow{&kWindow, -1};
const Control kButton{&kWindow, 0};
const Control kList{&kWindow, 1};
const Control kPicture{&kWindow, 2};

HWND ChildOf(int index) { return ::GetDlgItem(reinterpret_cast<HWND>(platform::WindowHandle(kTestWindow)), index + 1); }

class Toolkit : public testing::Test {
 protected:
  void SetUp() override {
    gEvents = {};
    {
      std::lock_guard lock(platform::ModelMutex());
      platform::ResetModels();
    }
    platform::LoadWindow(kTestWindow);
    hwnd_ = reinterpret_cast<HWND>(platform::WindowHandle(kTestWindow));
  }
  void TearDown() override {
    if (platform::IsLoaded(kTestWindow)) platform::DestroyWindow(kTestWindow);
    win32_test::DropQuitRequest();
  }
  HWND hwnd_ = nullptr;
};

TEST_F(Toolkit, MakesABorderlessTopmostPopupWithoutATaskbarButton) {
  ASSERT_NE(hwnd_, nullptr);
  LONG style = ::GetWindowLongW(hwnd_, GWL_STYLE);
  LONG extended = ::GetWindowLongW(hwnd_, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_BORDER));
  EXPECT_TRUE(extended & WS_EX_TOPMOST);
  EXPECT_FALSE(extended & WS_EX_APPWINDOW);
  HWND owner = ::GetWindow(hwnd_, GW_OWNER);
  ASSERT_NE(owner, nullptr) << "an unowned popup gets a taskbar button";
  EXPECT_FALSE(::IsWindowVisible(owner));

  RECT outer;
  ::GetWindowRect(hwnd_, &outer);
  EXPECT_EQ(outer.left, 300);
  EXPECT_EQ(outer.top, 200);
  EXPECT_EQ(outer.right - outer.left, 100);
  EXPECT_EQ(outer.bottom - outer.top, 180);
  EXPECT_FALSE(gEvents.visibleWhenCreated) << "shown before its creation event was handled";
  EXPECT_TRUE(::IsWindowVisible(hwnd_));
}

TEST_F(Toolkit, ListRowsAre18PixelsAndKeepTheirBytes) {
  HWND list = ChildOf(1);
  platform::AddItem(kList, "\xCD\xBC.jpg");
  platform::AddItem(kList, "a.png");
  EXPECT_EQ(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), 18);
  EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(platform::ItemCount(kList), 2);
  EXPECT_EQ(platform::ItemText(kList, 0), "\xCD\xBC.jpg");
  EXPECT_EQ(platform::ItemText(kList, 2), "");
  EXPECT_EQ(platform::ItemText(kList, -1), "");

  RECT client;
  ::GetClientRect(list, &client);
  EXPECT_EQ(client.bottom, 112) << "the list keeps its height, not one of whole rows";

  platform::SetListSelection(kList, 9);
  EXPECT_EQ(platform::ListSelection(kList), 1);
  EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
  platform::SetListSelection(kList, -7);
  EXPECT_EQ(platform::ListSelection(kList), -1);
  EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(Toolkit, TheListsMouseMovementGivesUnsignedCoordinatesAndKeys) {
  HWND list = ChildOf(1);
  ::SendMessageW(list, WM_MOUSEMOVE, MK_SHIFT | MK_CONTROL, MAKELPARAM(5, -3));
  EXPECT_EQ(gEvents.x, 5);
  EXPECT_EQ(gEvents.y, 65533) << "a position above the list arrives as a large value";
  EXPECT_EQ(gEvents.keys, 1 | 2);
  ::SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(40, 54));
  EXPECT_EQ(gEvents.y, 54);
  EXPECT_EQ(gEvents.keys, 0);
}

TEST_F(Toolkit, EscAndCloseRequestsGoToTheWindowsEscapeHandler) {
  ::SendMessageW(ChildOf(1), WM_KEYDOWN, VK_ESCAPE, 0);
  ::SendMessageW(hwnd_, WM_KEYDOWN, VK_ESCAPE, 0);
  ::SendMessageW(hwnd_, WM_CLOSE, 0, 0);
  EXPECT_EQ(gEvents.escapes, 3);
  EXPECT_TRUE(platform::IsLoaded(kTestWindow)) << "the program decides what Esc closes";
}

TEST_F(Toolkit, TheButtonRaisesItsClick) {
  ::SendMessageW(ChildOf(0), BM_CLICK, 0, 0);
  EXPECT_EQ(gEvents.clicks, 1);
}

TEST_F(Toolkit, APictureIsDrawnStretchedOverTheButtonFace) {
  platform::SetPicture(kPicture, win32_test::kPng5x3);
  HWND box = ChildOf(2);
  ::UpdateWindow(box);
  HDC dc = ::GetDC(box);
  COLORREF pixel = ::GetPixel(dc, 25, 15);
  ::ReleaseDC(box, dc);
  // Red at half opacity over the button face.
  COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  auto within = [](int a, int b) { return std::abs(a - b) <= 4; };
  EXPECT_TRUE(within(GetRValue(pixel), (255 + GetRValue(face)) / 2)) << std::hex << pixel;
  EXPECT_TRUE(within(GetGValue(pixel), GetGValue(face) / 2)) << std::hex << pixel;
  EXPECT_TRUE(within(GetBValue(pixel), GetBValue(face) / 2)) << std::hex << pixel;

  platform::SetPicture(kPicture, ByteData{'n', 'o'});
  ::UpdateWindow(box);
  dc = ::GetDC(box);
  EXPECT_EQ(::GetPixel(dc, 25, 15), face) << "bytes that are no picture show nothing";
  ::ReleaseDC(box, dc);
}

TEST_F(Toolkit, WritesFromAnotherThreadAreCarriedOutByTheUiThread) {
  std::atomic<bool> done{false};
  std::thread writer([&] {
    platform::Move(kTestWindow, -97);
    platform::SetVisible(kTestWindow, false);
    done = true;
  });
  EXPECT_TRUE(win32_test::PumpUntil([&] { return done.load(); }));
  writer.join();
  RECT outer;
  ::GetWindowRect(hwnd_, &outer);
  EXPECT_EQ(outer.left, -97);
  EXPECT_EQ(outer.top, 200) << "what the move left out keeps its value";
  EXPECT_FALSE(::IsWindowVisible(hwnd_));
  EXPECT_EQ(platform::Left(kTestWindow), -97);
  EXPECT_FALSE(platform::Visible(kTestWindow));
}

TEST_F(Toolkit, ReadsFromAnotherThreadDoNotWaitForTheUiThread) {
  std::atomic<int> left{0};
  std::thread reader([&] { left = platform::Left(kTestWindow) + platform::Height(kTestWindow); });
  reader.join();  // the UI thread does not pump meanwhile
  EXPECT_EQ(left, 300 + 180);
}

TEST_F(Toolkit, AWindowThatIsNotLoadedTakesPositionSizeAndVisibilityIntoItsRecord) {
  platform::DestroyWindow(kTestWindow);
  EXPECT_FALSE(platform::IsLoaded(kTestWindow));
  EXPECT_FALSE(::IsWindow(hwnd_));
  platform::SetLeft(kTestWindow, 5);
  platform::SetVisible(kTestWindow, false);
  EXPECT_EQ(platform::Left(kTestWindow), 5);
  platform::LoadWindow(kTestWindow);
  HWND again = reinterpret_cast<HWND>(platform::WindowHandle(kTestWindow));
  RECT outer;
  ::GetWindowRect(again, &outer);
  EXPECT_EQ(outer.left, 5);
  EXPECT_FALSE(::IsWindowVisible(again));
}

TEST_F(Toolkit, TheLastWindowGoneAsksTheEventLoopToEnd) {
  platform::DestroyWindow(kTestWindow);
  MSG quit;
  EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  platform::RunEventLoop();  // no window: not entered at all
}

using ToolkitDeathTest = Toolkit;

TEST_F(ToolkitDeathTest, ActingOnAWindowThatIsNotLoadedIsFatal) {
  platform::DestroyWindow(kTestWindow);
  EXPECT_EXIT(platform::Move(kTestWindow, 1), testing::ExitedWithCode(-1), "not loaded");
  EXPECT_EXIT(platform::SetPicture(kPicture, {}), testing::ExitedWithCode(-1), "not loaded");
}

// Last: once the program's threads are stopped, none starts again.
TEST_F(Toolkit, StoppingTheThreadsServesAThreadBlockedInAWrite) {
  static std::atomic<int> moves{0};
  platform::StartThread([] {
    while (platform::ThreadShouldRun()) {
      platform::Move(kTestWindow, moves++ % 2 == 0 ? -97 : 0);
      ::Sleep(2);
    }
  });
  // Not pumping: the thread soon blocks in a write that only this thread
  // can carry out, and stopping it has to serve that write.
  ::Sleep(100);
  platform::StopProgramThreads();
  EXPECT_FALSE(platform::ThreadShouldRun());
  EXPECT_GE(moves, 1);
}

}  // namespace
