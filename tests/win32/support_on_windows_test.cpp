// The support routines on the real system calls: message pumping, the
// waitable-timer wait, layered windows and the folder search.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/system.h"
#include "platform/win32/win32_windows_h.h"
#include "support/file_finder.h"
#include "support/wait_with_messages.h"
#include "support/window_opacity.h"
#include "tests/win32/windows_test_helpers.h"

namespace {

using Clock = std::chrono::steady_clock;
using win32_test::ScratchFolder;

constexpr UINT kTestMessage = WM_APP + 40;

std::atomic<int> gMessagesSeen{0};
Clock::time_point gSeenAt;

LRESULT CALLBACK CountingProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTestMessage) {
    ++gMessagesSeen;
    gSeenAt = Clock::now();
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// A window of the test's own that counts kTestMessage.
class CountingWindow {
 public:
  explicit CountingWindow(DWORD extendedStyle = 0) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CountingProcedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"picdock.test.counting";
    ::RegisterClassW(&windowClass);
    hwnd_ = ::CreateWindowExW(extendedStyle, L"picdock.test.counting", L"", WS_POPUP, 0, 0, 50, 50,
                              nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    gMessagesSeen = 0;
  }
  ~CountingWindow() { ::DestroyWindow(hwnd_); }
  HWND Handle() const { return hwnd_; }
  platform::NativeHandle Native() const { return reinterpret_cast<platform::NativeHandle>(hwnd_); }

 private:
  HWND hwnd_;
};

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

TEST(PumpPendingMessages, DispatchesEveryWaitingMessageAndLeavesAQuitRequest) {
  CountingWindow window;
  for (int i = 0; i < 3; ++i) ::PostMessageW(window.Handle(), kTestMessage, 0, 0);
  ::PostQuitMessage(7);
  PumpPendingMessages();
  EXPECT_EQ(gMessagesSeen, 3);
  MSG quit;
  ASSERT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit was taken";
  EXPECT_EQ(quit.wParam, 7u);
  PumpPendingMessages();  // an empty queue returns at once
}

TEST(PumpPendingMessages, RunsHandlersPostedToTheThread) {
  static int ran = 0;
  static int five = 5;
  ran = 0;
  platform::PostToThread(platform::CurrentThreadId(), [](void* n) { ran = *static_cast<int*>(n); },
                         &five);
  PumpPendingMessages();
  EXPECT_EQ(ran, 5);
}

TEST(WaitWithMessages, DispatchesAMessageTheMomentItArrives) {
  CountingWindow window;
  HWND target = window.Handle();
  Clock::time_point start = Clock::now();
  std::thread poster([target] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ::PostMessageW(target, kTestMessage, 0, 0);
  });
  WaitWithMessages(300, 0);
  double waited = MillisecondsSince(start);
  poster.join();
  ASSERT_EQ(gMessagesSeen, 1);
  double seenAfter = std::chrono::duration<double, std::milli>(gSeenAt - start).count();
  // Generous bounds: what they catch is a message left for the end of the
  // wait, and a wait that does not wait or does not end.
  EXPECT_LT(seenAfter, 250) << "the message waited for the end of the wait";
  EXPECT_GE(waited, 280);
  EXPECT_LT(waited, 5000);
}

TEST(WaitWithMessages, ANonPositiveCountReturnsAtOnceWithoutDispatching) {
  CountingWindow window;
  ::PostMessageW(window.Handle(), kTestMessage, 0, 0);
  Clock::time_point start = Clock::now();
  WaitWithMessages(0, 0);
  WaitWithMessages(-5, 1);
  EXPECT_LT(MillisecondsSince(start), 1000);
  EXPECT_EQ(gMessagesSeen, 0) << "the fired timer comes before the waiting message";
  PumpPendingMessages();
  EXPECT_EQ(gMessagesSeen, 1);
}

TEST(WaitWithMessages, AQuitRequestDoesNotEndTheWaitAndStaysQueued) {
  ::PostQuitMessage(3);
  Clock::time_point start = Clock::now();
  WaitWithMessages(100, 0);
  EXPECT_GE(MillisecondsSince(start), 90);
  MSG quit;
  EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

struct Layered {
  COLORREF key;
  BYTE alpha;
  DWORD flags;
  bool operator==(const Layered&) const = default;
};

Layered LayeredOf(HWND hwnd) {
  Layered layered{};
  ::GetLayeredWindowAttributes(hwnd, &layered.key, &layered.alpha, &layered.flags);
  return layered;
}

TEST(SetWindowOpacity, MakesAPlainLayeredWindowWithTheBlendingFlags) {
  CountingWindow window(WS_EX_TOOLWINDOW);
  SetWindowOpacity(window.Native(), 200);
  EXPECT_EQ(::GetWindowLongW(window.Handle(), GWL_EXSTYLE), WS_EX_LAYERED)
      << "every other extended style is cleared";
  EXPECT_EQ(LayeredOf(window.Handle()), (Layered{0, 200, LWA_ALPHA}));

  SetWindowOpacity(window.Native(), 0, 0x00FF00FF);
  EXPECT_EQ(LayeredOf(window.Handle()).flags, static_cast<DWORD>(LWA_COLORKEY));
  SetWindowOpacity(window.Native(), 256, 0x00FF00FF);
  EXPECT_EQ(LayeredOf(window.Handle()).flags, static_cast<DWORD>(LWA_COLORKEY)) << "low byte 0";
  SetWindowOpacity(window.Native(), 128, 0x00FF00FF);
  EXPECT_EQ(LayeredOf(window.Handle()), (Layered{0x00FF00FF, 128, LWA_COLORKEY | LWA_ALPHA}));
}

TEST(SetWindowOpacity, ClickThroughKeepsTheOtherExtendedStyles) {
  CountingWindow window(WS_EX_TOOLWINDOW);
  SetWindowOpacity(window.Native(), 100, 0, true);
  EXPECT_EQ(::GetWindowLongW(window.Handle(), GWL_EXSTYLE),
            WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_LAYERED);
}

TEST(FindFiles, ListsPatternByPatternWithTheSystemsSearch) {
  ScratchFolder folder;
  for (const char* name : {"z.jpg", "a.png", "b.bmp", "c.txt"}) win32_test::WriteBytes(folder / name, {1});
  ::SetFileAttributesA((folder / "z.jpg").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  win32_test::MakeFolder(folder / "x.jpg");
  win32_test::WriteBytes(folder / "x.jpg\\d.jpg", {1});

  TextArray found{"left over"};
  EXPECT_EQ(FindFiles(folder.Path(), "*.jpg|*.png|*.gif|*.bmp", found), 3);
  EXPECT_EQ(found, (TextArray{"z.jpg", "a.png", "b.bmp"})) << "a folder named x.jpg is no file";

  EXPECT_EQ(FindFiles(folder.Path() + "\\", "*.png|*.jpg", found, false, true), 2);
  EXPECT_EQ(found, (TextArray{"a.png", "z.jpg"}));

  TextArray walked;
  EXPECT_EQ(FindFiles(folder.Path(), "*.jpg", walked, true, false, true), 2);
  EXPECT_EQ(walked, (TextArray{folder / "z.jpg", folder / "x.jpg\\d.jpg"}));

  EXPECT_EQ(FindFiles(folder / "missing", "*.jpg", found), 0);
}

TEST(FolderListing, IdentifiesAFolderWhateverThePathThatLeadsToIt) {
  ScratchFolder folder;
  win32_test::MakeFolder(folder / "sub");
  Text identity = platform::FolderIdentity(folder / "sub");
  EXPECT_FALSE(identity.empty());
  EXPECT_EQ(platform::FolderIdentity(folder / "sub\\"), identity);
  EXPECT_EQ(platform::FolderIdentity(folder / "sub\\..\\sub"), identity);
  EXPECT_NE(platform::FolderIdentity(folder.Path()), identity);
  EXPECT_EQ(platform::FolderIdentity(folder / "missing"), "");
}

TEST(RunDirectory, IsTheProgramsFolderWithoutTrailingSeparator) {
  char file[MAX_PATH];
  DWORD length = ::GetModuleFileNameA(nullptr, file, MAX_PATH);
  Text expected(file, length);
  expected.resize(expected.rfind('\\'));
  EXPECT_EQ(platform::RunDirectory(), expected);
}

TEST(ReadWholeFile, GivesTheBytesOrNothing) {
  ScratchFolder folder;
  win32_test::WriteBytes(folder / "f.bin", {0, 1, 2, 0, 255});
  EXPECT_EQ(platform::ReadWholeFile(folder / "f.bin"), (ByteData{0, 1, 2, 0, 255}));
  EXPECT_EQ(platform::ReadWholeFile(folder.Path()), ByteData{});
  EXPECT_EQ(platform::ReadWholeFile(folder / "missing"), ByteData{});
  EXPECT_EQ(platform::ReadWholeFile(""), ByteData{});
}

}  // namespace
