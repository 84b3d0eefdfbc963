#include "tests/e2e/harness.h"

// Before Xlib, whose None and Status macros would break it.
#include "tests/fixtures/picture_writers.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <png.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

// Windows come and go between a query and the next request; such errors are
// expected, and Xlib's default handler would end the test process.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

std::string MakeScratchFolder(const char* what) {
  std::string pattern = (fs::temp_directory_path() / (std::string("picdock-") + what + "-XXXXXX"));
  if (!mkdtemp(pattern.data()))
    throw std::runtime_error("mkdtemp: " + std::string(strerror(errno)));
  return pattern;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// In a forked child: die with the test process, so that a crashed test
// leaves no server or program behind.
void DieWithParent() { prctl(PR_SET_PDEATHSIG, SIGKILL); }

void RedirectOutput(const std::string& logPath) {
  int null = open("/dev/null", O_RDONLY);
  if (null >= 0) dup2(null, 0);
  int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (log >= 0) {
    dup2(log, 1);
    dup2(log, 2);
  }
}

[[noreturn]] void Exec(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  fprintf(stderr, "exec %s: %s\n", args[0], strerror(errno));
  _exit(127);
}

// Asks a child to stop, then insists.
void Stop(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  bool gone = WaitUntil([&] { return waitpid(pid, nullptr, WNOHANG) != 0; }, 3s, 10ms);
  if (!gone) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  pid = -1;
}

unsigned long ChannelBits(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = __builtin_ctzl(mask);
  int bits = __builtin_popcountl(mask);
  unsigned long value = (pixel & mask) >> shift;
  return bits >= 8 ? value >> (bits - 8) : value << (8 - bits);
}

unsigned long PixelBits(int value, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = __builtin_ctzl(mask);
  int bits = __builtin_popcountl(mask);
  unsigned long v = static_cast<unsigned long>(value);
  v = bits >= 8 ? v << (bits - 8) : v >> (8 - bits);
  return (v << shift) & mask;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, Milliseconds timeout, Milliseconds interval) {
  auto deadline = Clock::now() + timeout;
  while (true) {
    if (done()) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(interval);
  }
}

std::string Describe(Rgb colour) {
  std::ostringstream text;
  text << "(" << colour.r << "," << colour.g << "," << colour.b << ")";
  return text.str();
}

std::ostream& operator<<(std::ostream& out, Rgb colour) { return out << Describe(colour); }

bool Near(Rgb a, Rgb b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

std::string Describe(const Rect& rect) {
  std::ostringstream text;
  text << rect.width << "x" << rect.height << " at (" << rect.left << "," << rect.top << ")";
  return text.str();
}

std::ostream& operator<<(std::ostream& out, const Rect& rect) { return out << Describe(rect); }

Rgb Picture::Dominant() const {
  std::map<std::tuple<int, int, int>, int> counts;
  for (const Rgb& p : pixels_) ++counts[{p.r, p.g, p.b}];
  auto best = std::max_element(counts.begin(), counts.end(),
                               [](const auto& a, const auto& b) { return a.second < b.second; });
  if (best == counts.end()) return {};
  auto [r, g, b] = best->first;
  return {r, g, b};
}

int Picture::Count(const std::function<bool(Rgb)>& accept) const {
  return static_cast<int>(std::count_if(pixels_.begin(), pixels_.end(), accept));
}

int Picture::Differences(const Picture& other) const {
  if (width_ != other.width_ || height_ != other.height_) return static_cast<int>(pixels_.size());
  int differences = 0;
  for (size_t i = 0; i < pixels_.size(); ++i) differences += pixels_[i] == other.pixels_[i] ? 0 : 1;
  return differences;
}

std::string Describe(const ExitStatus& status) {
  if (!status.ended) return "still running";
  if (status.signal) return "killed by signal " + std::to_string(status.signal);
  return "exit code " + std::to_string(status.code);
}

// --- XServer ---

struct XServer::Connection {
  Display* display = nullptr;
  ::Window root = 0;
  Visual* visual = nullptr;

  ~Connection() {
    if (display) XCloseDisplay(display);
  }
  Atom Intern(const char* name) { return XInternAtom(display, name, False); }
  unsigned long PixelOf(Rgb colour) const {
    return PixelBits(colour.r, visual->red_mask) | PixelBits(colour.g, visual->green_mask) |
           PixelBits(colour.b, visual->blue_mask);
  }
};

XServer::XServer(ServerOptions options) : options_(options) {
  try {
    home_ = MakeScratchFolder("xserver");
    StartXvfb();
    if (options_.windowManager) StartWindowManager();
  } catch (...) {
    connection_.reset();
    Stop(windowManager_);
    Stop(xvfb_);
    std::error_code ignored;
    if (!home_.empty()) fs::remove_all(home_, ignored);
    throw;
  }
}

XServer::~XServer() {
  connection_.reset();
  Stop(windowManager_);
  Stop(xvfb_);
  std::error_code ignored;
  fs::remove_all(home_, ignored);
}

void XServer::StartXvfb() {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe: " + std::string(strerror(errno)));
  std::string screen =
      std::to_string(options_.width) + "x" + std::to_string(options_.height) + "x24";
  std::string log = home_ + "/xvfb.log";
  xvfb_ = fork();
  if (xvfb_ == 0) {
    DieWithParent();
    close(fds[0]);
    RedirectOutput(log);
    // -noreset: the pointer and the root window keep what the test gave them
    // when a client (the program, a helper tool) is the last to disconnect.
    Exec({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten", "tcp",
          "-noreset"});
  }
  close(fds[1]);
  if (xvfb_ < 0) {
    close(fds[0]);
    throw std::runtime_error("fork: " + std::string(strerror(errno)));
  }

  // Xvfb writes the display number it took, then a newline, once it listens.
  std::string number;
  auto deadline = Clock::now() + kPatience;
  while (number.empty() || number.back() != '\n') {
    auto left = std::chrono::duration_cast<Milliseconds>(deadline - Clock::now()).count();
    pollfd ready{fds[0], POLLIN, 0};
    char c;
    if (left <= 0 || poll(&ready, 1, static_cast<int>(left)) <= 0 || read(fds[0], &c, 1) != 1) {
      close(fds[0]);
      throw std::runtime_error("Xvfb did not start: " + ReadFile(log));
    }
    number += c;
  }
  close(fds[0]);
  number.pop_back();
  displayName_ = ":" + number;

  XSetErrorHandler(IgnoreXError);
  connection_ = std::make_unique<Connection>();
  WaitUntil([&] { return (connection_->display = XOpenDisplay(displayName_.c_str())) != nullptr; });
  if (!connection_->display) throw std::runtime_error("can't open display " + displayName_);
  int event, error, major, minor;
  if (!XTestQueryExtension(connection_->display, &event, &error, &major, &minor))
    throw std::runtime_error("the X server has no XTest");
  connection_->root = DefaultRootWindow(connection_->display);
  connection_->visual = DefaultVisual(connection_->display, DefaultScreen(connection_->display));
  // Top-level windows report their creation, moves and maps to the root.
  XSelectInput(connection_->display, connection_->root, SubstructureNotifyMask);
  XSetWindowBackground(connection_->display, connection_->root, connection_->PixelOf(kRootColour));
  XClearWindow(connection_->display, connection_->root);
  XSync(connection_->display, False);
}

void XServer::StartWindowManager() {
  std::string log = home_ + "/openbox.log";
  windowManager_ = fork();
  if (windowManager_ == 0) {
    DieWithParent();
    RedirectOutput(log);
    setenv("DISPLAY", displayName_.c_str(), 1);
    setenv("HOME", home_.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home_ + "/config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home_ + "/cache").c_str(), 1);
    Exec({"openbox", "--sm-disable"});
  }
  if (windowManager_ < 0) throw std::runtime_error("fork: " + std::string(strerror(errno)));
  // An EWMH window manager announces itself on the root window once it
  // manages the screen.
  bool up = WaitUntil([&] {
    XSync(connection_->display, False);
    return !Property32(connection_->root, "_NET_SUPPORTING_WM_CHECK").empty();
  });
  if (!up) throw std::runtime_error("openbox did not start: " + ReadFile(log));

  // openbox announces itself before its start-up is over, and that start-up
  // ends by deciding the keyboard focus, which would take it from a program
  // that is quick to show itself. A window that openbox frames shows that
  // its event loop runs. A map that came before openbox took the root's
  // redirection is never framed, so the probe is mapped again until it is.
  // It refuses the focus, so that its going changes nothing.
  Display* display = connection_->display;
  ::Window probe = XCreateSimpleWindow(display, connection_->root, 0, 0, 1, 1, 0, 0, 0);
  XWMHints hints{};
  hints.flags = InputHint;
  hints.input = False;
  XSetWMHints(display, probe, &hints);
  auto framed = [&] {
    ::Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, probe, &root, &parent, &children, &count)) return false;
    if (children) XFree(children);
    return parent != root;
  };
  bool managed = WaitUntil(
      [&] {
        XUnmapWindow(display, probe);
        XMapWindow(display, probe);
        XSync(display, False);
        return WaitUntil(framed, 300ms);
      },
      kPatience, 0ms);
  XDestroyWindow(display, probe);
  XSync(display, False);
  bool forgotten =
      WaitUntil([&] { return Property32(connection_->root, "_NET_CLIENT_LIST").empty(); });
  if (!managed || !forgotten) throw std::runtime_error("openbox does not manage windows");
}

std::vector<WindowInfo> XServer::Windows() {
  std::vector<WindowInfo> found;
  std::function<void(::Window)> visit = [&](::Window window) {
    ::Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(connection_->display, window, &root, &parent, &children, &count)) return;
    std::vector<::Window> list(children, children + count);
    if (children) XFree(children);
    for (::Window child : list) {
      XClassHint hint{};
      if (XGetClassHint(connection_->display, child, &hint)) {
        XFree(hint.res_name);
        XFree(hint.res_class);
        if (auto info = Describe(child)) found.push_back(*info);
      }
      visit(child);
    }
  };
  visit(connection_->root);
  return found;
}

std::optional<WindowInfo> XServer::Describe(unsigned long window) {
  Display* display = connection_->display;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return std::nullopt;
  WindowInfo info;
  info.id = window;
  int x = 0, y = 0;
  ::Window child;
  if (!XTranslateCoordinates(display, window, connection_->root, 0, 0, &x, &y, &child))
    return std::nullopt;
  info.rect = {x, y, attributes.width, attributes.height};
  info.borderWidth = attributes.border_width;
  info.viewable = attributes.map_state == IsViewable;
  info.overrideRedirect = attributes.override_redirect;
  XClassHint hint{};
  if (XGetClassHint(display, window, &hint)) {
    info.resName = hint.res_name ? hint.res_name : "";
    info.resClass = hint.res_class ? hint.res_class : "";
    XFree(hint.res_name);
    XFree(hint.res_class);
  }
  auto pid = Property32(window, "_NET_WM_PID");
  if (!pid.empty()) info.pid = static_cast<long>(pid[0]);

  ::Window current = window;
  while (true) {
    ::Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, current, &root, &parent, &children, &count)) return std::nullopt;
    if (children) XFree(children);
    if (parent == root || parent == 0) break;
    current = parent;
  }
  info.topLevel = current;
  info.topLevelRect = info.rect;
  if (current != window) {
    XWindowAttributes frame;
    if (!XGetWindowAttributes(display, current, &frame)) return std::nullopt;
    info.topLevelRect = {frame.x + frame.border_width, frame.y + frame.border_width, frame.width,
                         frame.height};
  }
  return info;
}

std::vector<unsigned long> XServer::Property32(unsigned long window, const char* name) {
  Atom type;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> values;
  if (XGetWindowProperty(connection_->display, window, connection_->Intern(name), 0, 4096, False,
                         AnyPropertyType, &type, &format, &count, &after, &data) != Success)
    return values;
  // Xlib hands 32-bit items over as longs, sign-extended where long is wider.
  if (data && format == 32) {
    auto* items = reinterpret_cast<unsigned long*>(data);
    for (unsigned long i = 0; i < count; ++i) values.push_back(items[i] & 0xFFFFFFFFul);
  }
  if (data) XFree(data);
  return values;
}

std::vector<std::string> XServer::AtomNames(unsigned long window, const char* name) {
  std::vector<std::string> names;
  for (unsigned long atom : Property32(window, name)) {
    char* text = XGetAtomName(connection_->display, atom);
    names.push_back(text ? text : "");
    if (text) XFree(text);
  }
  return names;
}

Picture XServer::Grab(Rect area) {
  int left = std::max(area.left, 0), top = std::max(area.top, 0);
  int right = std::min(area.left + area.width, options_.width);
  int bottom = std::min(area.top + area.height, options_.height);
  if (right <= left || bottom <= top) return {};
  int width = right - left, height = bottom - top;
  XSync(connection_->display, False);
  XImage* image = XGetImage(connection_->display, connection_->root, left, top, width, height,
                            AllPlanes, ZPixmap);
  if (!image) return {};
  std::vector<Rgb> pixels;
  pixels.reserve(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned long pixel = XGetPixel(image, x, y);
      pixels.push_back({static_cast<int>(ChannelBits(pixel, image->red_mask)),
                        static_cast<int>(ChannelBits(pixel, image->green_mask)),
                        static_cast<int>(ChannelBits(pixel, image->blue_mask))});
    }
  }
  XDestroyImage(image);
  return Picture(width, height, std::move(pixels));
}

bool XServer::SaveScreenshot(const std::string& path) {
  Picture screen = Grab({0, 0, options_.width, options_.height});
  if (screen.Width() == 0) return false;
  std::vector<std::uint8_t> rgb;
  rgb.reserve(screen.Pixels().size() * 3);
  for (const Rgb& p : screen.Pixels()) {
    rgb.push_back(static_cast<std::uint8_t>(p.r));
    rgb.push_back(static_cast<std::uint8_t>(p.g));
    rgb.push_back(static_cast<std::uint8_t>(p.b));
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(screen.Width());
  image.height = static_cast<png_uint_32>(screen.Height());
  image.format = PNG_FORMAT_RGB;
  bool written = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return written;
}

void XServer::MovePointer(int x, int y) {
  XTestFakeMotionEvent(connection_->display, -1, x, y, CurrentTime);
  XSync(connection_->display, False);
}

std::pair<int, int> XServer::Pointer() {
  ::Window root, child;
  int x = 0, y = 0, windowX, windowY;
  unsigned mask;
  XQueryPointer(connection_->display, connection_->root, &root, &child, &x, &y, &windowX, &windowY,
                &mask);
  return {x, y};
}

void XServer::PressButton(int button) {
  XTestFakeButtonEvent(connection_->display, static_cast<unsigned>(button), True, CurrentTime);
  XSync(connection_->display, False);
}

void XServer::ReleaseButton(int button) {
  XTestFakeButtonEvent(connection_->display, static_cast<unsigned>(button), False, CurrentTime);
  XSync(connection_->display, False);
}

void XServer::Click(int x, int y, int button) {
  MovePointer(x, y);
  PressButton(button);
  ReleaseButton(button);
}

void XServer::TapKey(const char* keysym) {
  KeyCode code = XKeysymToKeycode(connection_->display, XStringToKeysym(keysym));
  if (code == 0) throw std::runtime_error(std::string("no key for ") + keysym);
  XTestFakeKeyEvent(connection_->display, code, True, CurrentTime);
  XTestFakeKeyEvent(connection_->display, code, False, CurrentTime);
  XSync(connection_->display, False);
}

std::optional<Rect> XServer::RectWhenFirstMapped(unsigned long topLevel) {
  Display* display = connection_->display;
  XSync(display, False);
  while (XPending(display)) {
    XEvent event;
    XNextEvent(display, &event);
    switch (event.type) {
      case CreateNotify: {
        const auto& e = event.xcreatewindow;
        topLevels_[e.window].rect = {e.x + e.border_width, e.y + e.border_width, e.width, e.height};
        break;
      }
      case ConfigureNotify: {
        const auto& e = event.xconfigure;
        topLevels_[e.window].rect = {e.x + e.border_width, e.y + e.border_width, e.width, e.height};
        break;
      }
      case MapNotify: {
        TopLevelRecord& record = topLevels_[event.xmap.window];
        if (!record.firstMapped) record.firstMapped = record.rect;
        break;
      }
      default:
        break;
    }
  }
  auto found = topLevels_.find(topLevel);
  return found == topLevels_.end() ? std::nullopt : found->second.firstMapped;
}

unsigned long XServer::ShowOrdinaryWindow(Rect rect, Rgb colour) {
  Display* display = connection_->display;
  unsigned long pixel = connection_->PixelOf(colour);
  ::Window window = XCreateSimpleWindow(display, connection_->root, rect.left, rect.top,
                                        static_cast<unsigned>(rect.width),
                                        static_cast<unsigned>(rect.height), 0, pixel, pixel);
  XClassHint hint{const_cast<char*>("ordinary"), const_cast<char*>("E2e")};
  XSetClassHint(display, window, &hint);
  // Asks a window manager to keep the place and size given here.
  XSizeHints size{};
  size.flags = USPosition | USSize;
  size.x = rect.left;
  size.y = rect.top;
  size.width = rect.width;
  size.height = rect.height;
  XSetWMNormalHints(display, window, &size);
  XMapRaised(display, window);
  XSync(display, False);
  return window;
}

// --- the program ---

RunningProgram::RunningProgram(XServer& server, const LaunchPlan& plan,
                               const std::vector<PictureFile>& pictures)
    : server_(server), plan_(plan) {
  scratch_ = MakeScratchFolder("e2e");
  folder_ = scratch_ + "/program";
  logPath_ = scratch_ + "/output.txt";
  fs::path program = fs::path(folder_) / fs::path(plan.programFile).filename();
  try {
    fs::create_directory(folder_);
    fs::copy_file(plan.programFile, program);
    for (const PictureFile& picture : pictures)
      fixtures::WriteFileBytes(folder_ + "/" + picture.name, picture.bytes);
  } catch (...) {
    std::error_code ignored;
    fs::remove_all(scratch_, ignored);
    throw;
  }

  std::vector<std::string> argv = plan.command;
  for (auto& arg : argv)
    if (arg == "{program}") arg = program.string();

  pid_ = fork();
  if (pid_ == 0) {
    DieWithParent();
    setpgid(0, 0);
    RedirectOutput(logPath_);
    if (chdir("/") != 0) _exit(126);
    setenv("DISPLAY", server.DisplayName().c_str(), 1);
    for (const auto& [name, value] : plan.environment) setenv(name.c_str(), value.c_str(), 1);
    Exec(argv);
  }
  if (pid_ < 0) {
    std::error_code ignored;
    fs::remove_all(scratch_, ignored);
    throw std::runtime_error("fork: " + std::string(strerror(errno)));
  }
  setpgid(pid_, pid_);  // also here, so the group exists whichever runs first
}

RunningProgram::~RunningProgram() {
  if (pid_ > 0) {
    kill(-pid_, SIGKILL);  // the program and whatever it started
    if (!status_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  std::error_code ignored;
  fs::remove_all(scratch_, ignored);
}

std::optional<WindowInfo> RunningProgram::FindWindow(std::string_view role) {
  for (const WindowInfo& window : server_.Windows())
    if (plan_.matches(window, role, pid_)) return window;
  return std::nullopt;
}

std::optional<WindowInfo> RunningProgram::WaitForWindow(std::string_view role,
                                                        Milliseconds timeout) {
  auto window = WaitForWindowState(
      role, [](const WindowInfo& w) { return w.viewable; }, timeout);
  if (window && !window->viewable) return std::nullopt;
  return window;
}

std::optional<WindowInfo> RunningProgram::WaitForWindowState(
    std::string_view role, const std::function<bool(const WindowInfo&)>& accept,
    Milliseconds timeout) {
  std::optional<WindowInfo> last;
  WaitUntil(
      [&] {
        last = FindWindow(role);
        // A program that has ended shows nothing more.
        return (last && accept(*last)) || !Running();
      },
      timeout);
  return last;
}

bool RunningProgram::Running() {
  if (status_) return false;
  int raw = 0;
  pid_t result = waitpid(pid_, &raw, WNOHANG);
  if (result == 0) return true;
  ExitStatus status;
  status.ended = true;
  status.code = -1;  // no exit code can be had: no process can give this one
  if (result == pid_ && WIFEXITED(raw)) status.code = WEXITSTATUS(raw);
  if (result == pid_ && WIFSIGNALED(raw)) status.signal = WTERMSIG(raw);
  status_ = status;
  return false;
}

ExitStatus RunningProgram::WaitForExit(Milliseconds timeout) {
  WaitUntil([&] { return !Running(); }, timeout, 5ms);
  return status_.value_or(ExitStatus{});
}

std::string RunningProgram::Output() const { return ReadFile(logPath_); }

// --- scenario helpers ---

int CentredTop(int screenHeight, int height) {
  return static_cast<int>(std::trunc((screenHeight - 30) / 2.0 - height / 2.0));
}

std::vector<PictureFile> NumberedPictures(int count) {
  ByteData bytes = fixtures::WritePng(8, 8, fixtures::Solid({30, 160, 90}));
  std::vector<PictureFile> pictures;
  for (int i = 0; i < count; ++i) {
    char name[32];
    snprintf(name, sizeof name, "p%04d.png", i);
    pictures.push_back({name, bytes});
  }
  return pictures;
}

std::string ArtifactFolder() { return PICDOCK_E2E_ARTIFACTS; }

}  // namespace e2e
