// End-to-end harness: runs the real program on a virtual X server (Xvfb),
// optionally under a window manager (openbox), and reads back from the server
// what a user would see: which windows are there, where, whether they are
// mapped, and the pixels on screen. Input goes in through XTest.
//
// The program is described by a LaunchPlan, so that the same scenarios can
// run another build of it:
//   - programFile is copied into a fresh folder beside the test's pictures,
//     because the program lists the pictures of its own folder;
//   - command is the argv to start, "{program}" standing for the copy; the
//     native build runs the copy itself;
//   - environment is added to the test's own, after DISPLAY;
//   - matches tells which X window plays which role ("panel", "preview").
// NativePlan() is the picdock built here; the scenarios take it unless their
// executable sets another plan first (SetScenarioPlan in scenario.h).
// A run of the Windows build under Wine gives command {"wine", "{program}"},
// WINEPREFIX (and WINEDEBUG=-all) in environment, and a matcher for the
// WM_CLASS that Wine gives its windows ("picdock.exe") that tells the two
// windows apart by what Wine exposes (wine_launcher.cpp, the entry of an
// executable of its own built from the same scenario files). Wine's windows are X windows on the
// same server, so everything below the plan (server, window manager, window
// lookup, pixels, input, exit code) stays as it is. Wine starts helper
// processes: the program runs in a process group of its own and the whole
// group is killed on teardown.
//
// Every wait is a poll against a deadline. The deadlines are generous: they
// are there to turn a hang into a failure, not to measure speed.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;
using Milliseconds = std::chrono::milliseconds;

// Long enough for a loaded two-core machine; a hang still fails.
inline constexpr Milliseconds kPatience = 10s;

// Polls `done` every `interval` until it holds or `timeout` has passed; the
// result is the last answer.
bool WaitUntil(const std::function<bool()>& done, Milliseconds timeout = kPatience,
               Milliseconds interval = 20ms);

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};
std::string Describe(Rgb colour);
std::ostream& operator<<(std::ostream& out, Rgb colour);
// True when every channel is within `tolerance` of the other's.
bool Near(Rgb a, Rgb b, int tolerance);

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};
std::string Describe(const Rect& rect);
std::ostream& operator<<(std::ostream& out, const Rect& rect);

// Pixels read back from the screen, row by row.
class Picture {
 public:
  Picture() = default;
  Picture(int width, int height, std::vector<Rgb> pixels)
      : width_(width), height_(height), pixels_(std::move(pixels)) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  Rgb At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  const std::vector<Rgb>& Pixels() const { return pixels_; }
  // The colour that most pixels have (the background of a button, a solid
  // picture).
  Rgb Dominant() const;
  int Count(const std::function<bool(Rgb)>& accept) const;
  // Pixels that differ between two pictures of the same size.
  int Differences(const Picture& other) const;
  bool operator==(const Picture&) const = default;

 private:
  int width_ = 0, height_ = 0;
  std::vector<Rgb> pixels_;
};

// A window as the X server has it.
struct WindowInfo {
  unsigned long id = 0;
  std::string resName, resClass;  // WM_CLASS
  long pid = 0;                   // _NET_WM_PID; 0 when it has none
  Rect rect;                      // inside the border, in root coordinates
  int borderWidth = 0;
  bool viewable = false;  // mapped, and so are its ancestors
  bool overrideRedirect = false;
  // The child of the root window that holds it: a window manager's frame, or
  // the window itself when nothing reparented it.
  unsigned long topLevel = 0;
  Rect topLevelRect;
};

struct ServerOptions {
  int width = 1920, height = 1080;
  bool windowManager = false;  // run openbox, an EWMH window manager
};

// Xvfb on a free display number, with openbox when asked. The root window is
// painted kRootColour so that a missing window never reads as black.
class XServer {
 public:
  static constexpr Rgb kRootColour{40, 90, 140};

  explicit XServer(ServerOptions options = {});
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  const std::string& DisplayName() const { return displayName_; }
  int Width() const { return options_.width; }
  int Height() const { return options_.height; }
  bool HasWindowManager() const { return options_.windowManager; }

  // Every window that carries WM_CLASS, in stacking order from the bottom.
  std::vector<WindowInfo> Windows();
  std::optional<WindowInfo> Describe(unsigned long window);
  // A property of 32-bit items (CARDINAL, ATOM, WINDOW); empty when absent.
  std::vector<unsigned long> Property32(unsigned long window, const char* name);
  // The names of the atoms in an ATOM[] property such as _NET_WM_STATE.
  std::vector<std::string> AtomNames(unsigned long window, const char* name);

  // What the screen shows in `area`, clipped to the screen.
  Picture Grab(Rect area);
  // Writes the whole screen as a PNG; false when it can't.
  bool SaveScreenshot(const std::string& path);

  void MovePointer(int x, int y);
  std::pair<int, int> Pointer();
  void PressButton(int button = 1);
  void ReleaseButton(int button = 1);
  void Click(int x, int y, int button = 1);
  // A key by its keysym name ("Escape"), pressed and released.
  void TapKey(const char* keysym);

  // Where a child of the root window (a top-level window, or a window
  // manager's frame) stood when it was first mapped; nullopt while it never
  // was. Taken from the server's notifications, so a window that is mapped
  // somewhere and moved at once is caught however quickly it moved.
  std::optional<Rect> RectWhenFirstMapped(unsigned long topLevel);

  // An ordinary window of the test itself, mapped and raised, filled with
  // `colour`: something for the program's windows to stay above.
  unsigned long ShowOrdinaryWindow(Rect rect, Rgb colour);

 private:
  void StartXvfb();
  void StartWindowManager();

  ServerOptions options_;
  std::string displayName_;
  std::string home_;  // a scratch HOME for the window manager
  pid_t xvfb_ = -1, windowManager_ = -1;
  struct Connection;
  std::unique_ptr<Connection> connection_;
  struct TopLevelRecord {
    Rect rect;
    std::optional<Rect> firstMapped;
  };
  std::map<unsigned long, TopLevelRecord> topLevels_;
};

// Tells whether a window plays `role` for the program with process id `pid`.
using WindowMatcher = std::function<bool(const WindowInfo&, std::string_view role, pid_t pid)>;

struct LaunchPlan {
  std::string programFile;
  std::vector<std::string> command;
  std::vector<std::pair<std::string, std::string>> environment;
  WindowMatcher matches;
};

// The picdock built with these tests: WM_CLASS "Picdock", the role as the
// instance name, and _NET_WM_PID, when the window has it, the program's.
LaunchPlan NativePlan();

struct PictureFile {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

struct ExitStatus {
  bool ended = false;
  int code = 0;    // 0..255 when it ended by exiting, else -1
  int signal = 0;  // the signal that ended it, or 0
};
std::string Describe(const ExitStatus& status);

// The program copied into a fresh folder with `pictures` and started on the
// server with the current directory at "/", so it has to find its own folder.
// The destructor kills it (with its process group) if it still runs and
// removes the folder.
class RunningProgram {
 public:
  RunningProgram(XServer& server, const LaunchPlan& plan, const std::vector<PictureFile>& pictures);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  pid_t Pid() const { return pid_; }
  const std::string& Folder() const { return folder_; }

  std::optional<WindowInfo> FindWindow(std::string_view role);
  // The window once it exists and is viewable; nullopt after the deadline.
  std::optional<WindowInfo> WaitForWindow(std::string_view role, Milliseconds timeout = kPatience);
  // Polls the window until `accept` holds; the last state seen, if any.
  std::optional<WindowInfo> WaitForWindowState(std::string_view role,
                                               const std::function<bool(const WindowInfo&)>& accept,
                                               Milliseconds timeout = kPatience);

  bool Running();
  // The status once the process has ended, or ended == false at the deadline.
  ExitStatus WaitForExit(Milliseconds timeout = kPatience);
  // What the program wrote to stdout and stderr so far.
  std::string Output() const;

 private:
  XServer& server_;
  LaunchPlan plan_;
  std::string scratch_, folder_, logPath_;
  pid_t pid_ = -1;
  std::optional<ExitStatus> status_;
};

// The panel's top for `height` on a screen `screenHeight` tall: centred on
// the screen less the 30-pixel bottom allowance, truncated toward zero.
int CentredTop(int screenHeight, int height);

// `count` solid PNG pictures named "p0000.png" onward, each 8 x 8.
std::vector<PictureFile> NumberedPictures(int count);

// Where scenarios leave screenshots of their failures.
std::string ArtifactFolder();

}  // namespace e2e
