#include "bench/e2e_floor.h"

// Before Xlib, whose None and Status macros would break them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>

#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "bench/e2e_figures.h"
#include "platform/image/picture.h"
#include "platform/posix/program.h"

namespace e2ebench {

namespace {

using Clock = std::chrono::steady_clock;
using platform::image::PictureFrame;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// A window of the benchmark's own where the preview would stand, with the
// frame ready to go in both ways.
class PutTarget {
 public:
  PutTarget(const std::string& displayName, const PictureFrame& frame, e2e::Rect at)
      : frame_(frame) {
    display_ = XOpenDisplay(displayName.c_str());
    if (!display_) throw std::runtime_error("can't open display " + displayName);
    const int screen = DefaultScreen(display_);
    visual_ = DefaultVisual(display_, screen);
    depth_ = DefaultDepth(display_, screen);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display_, screen);
    attributes.event_mask = ExposureMask;
    window_ = XCreateWindow(display_, RootWindow(display_, screen), at.left, at.top,
                            static_cast<unsigned>(frame.width), static_cast<unsigned>(frame.height),
                            0, depth_, InputOutput, visual_,
                            CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    XMapRaised(display_, window_);
    AttachShared();
  }
  ~PutTarget() {
    if (shared_) {
      XShmDetach(display_, &segment_);
      XDestroyImage(shared_);
      shmdt(segment_.shmaddr);
    }
    XFreeGC(display_, gc_);
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
  }
  PutTarget(const PutTarget&) = delete;
  PutTarget& operator=(const PutTarget&) = delete;

  bool HasShared() const { return shared_ != nullptr; }

  // Puts count from the moment the window shows: its first Expose. False
  // when it never does.
  bool WaitUntilShown() {
    XEvent event;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!XCheckWindowEvent(display_, window_, ExposureMask, &event)) {
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  void SharedPut() {
    XShmPutImage(display_, window_, gc_, shared_, 0, 0, 0, 0, Width(), Height(), False);
    XSync(display_, False);
  }

  void PlainPut() {
    XImage* image =
        XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                     reinterpret_cast<char*>(const_cast<std::uint32_t*>(frame_.pixels.data())),
                     Width(), Height(), 32, frame_.stride);
    XPutImage(display_, window_, gc_, image, 0, 0, 0, 0, Width(), Height());
    XSync(display_, False);
    image->data = nullptr;  // the frame owns the pixels
    XDestroyImage(image);
  }

 private:
  unsigned Width() const { return static_cast<unsigned>(frame_.width); }
  unsigned Height() const { return static_cast<unsigned>(frame_.height); }

  void AttachShared() {
    if (!XShmQueryExtension(display_)) return;
    XImage* image = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap,
                                    nullptr, &segment_, Width(), Height());
    if (!image) return;
    const std::size_t size = static_cast<std::size_t>(image->bytes_per_line) * Height();
    segment_.shmid = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    segment_.shmaddr = segment_.shmid < 0 ? reinterpret_cast<char*>(-1)
                                          : static_cast<char*>(shmat(segment_.shmid, nullptr, 0));
    if (segment_.shmaddr == reinterpret_cast<char*>(-1)) {
      XDestroyImage(image);
      return;
    }
    image->data = segment_.shmaddr;
    segment_.readOnly = False;
    XShmAttach(display_, &segment_);
    XSync(display_, False);
    shmctl(segment_.shmid, IPC_RMID, nullptr);  // goes when both sides have detached
    for (int row = 0; row < frame_.height; ++row)
      std::memcpy(image->data + static_cast<std::size_t>(row) * image->bytes_per_line,
                  reinterpret_cast<const char*>(frame_.pixels.data()) +
                      static_cast<std::size_t>(row) * frame_.stride,
                  static_cast<std::size_t>(frame_.width) * 4);
    shared_ = image;
  }

  const PictureFrame& frame_;
  Display* display_ = nullptr;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  ::Window window_ = 0;
  GC gc_ = nullptr;
  XShmSegmentInfo segment_{};
  XImage* shared_ = nullptr;
};

}  // namespace

Floor MedianFloor(const FloorSamples& samples) {
  return {Median(samples.read), Median(samples.decode), Median(samples.decodeCpu),
          Median(samples.shmPut), Median(samples.plainPut)};
}

void SampleFloor(const std::string& displayName, const std::string& path, e2e::Rect shown,
                 FloorSamples& samples) {
  auto start = Clock::now();
  ByteData bytes = platform::posix::ReadFileBounded(path);
  samples.read.push_back(MsSince(start));
  if (bytes.empty()) throw std::runtime_error("can't read " + path);

  // The decoder takes the bytes over: handed the buffer the file was read
  // into, it needs no copy, so none is timed.
  const double cpu = ThreadCpuMs();
  start = Clock::now();
  auto decoder = platform::image::OpenPicture(std::move(bytes), platform::kButtonFace);
  std::optional<PictureFrame> frame;
  if (decoder) frame = decoder->RenderFrame(0, shown.width, shown.height);
  samples.decode.push_back(MsSince(start));
  samples.decodeCpu.push_back(ThreadCpuMs() - cpu);
  if (!frame) throw std::runtime_error("can't decode " + path);

  PutTarget target(displayName, *frame, shown);
  if (!target.WaitUntilShown()) throw std::runtime_error("the floor's window never showed");
  start = Clock::now();
  target.PlainPut();
  samples.plainPut.push_back(MsSince(start));
  if (target.HasShared()) {
    start = Clock::now();
    target.SharedPut();
    samples.shmPut.push_back(MsSince(start));
  } else {
    samples.shmPut.push_back(samples.plainPut.back());
  }
}

}  // namespace e2ebench
