// The picture box on X. A picture is decoded for the size the box has when
// it is next drawn: the hover handler gives the picture first and the size
// after, so drawing waits for the UI thread's next turn (one posted redraw)
// and decodes once, at the final size. Pixels reach the server through
// MIT-SHM where the server shares memory with us, else through XPutImage.
#include "platform/x11/x11_picture_box.h"

#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <set>

#include "platform/image/picture.h"
#include "platform/posix/thread_queue.h"
#include "platform/window_model.h"
#include "platform/x11/x11_connection.h"

namespace platform::x11 {

using Clock = std::chrono::steady_clock;

namespace {
// A server on another host takes XShmAttach and answers with an error later:
// the attach is checked with its own error handler.
bool attachRefused = false;
int NoteAttachError(Display*, XErrorEvent*) {
  attachRefused = true;
  return 0;
}
}  // namespace

// An image in memory shared with the X server, reused while its size holds.
struct SharedImage {
  XShmSegmentInfo segment{};
  XImage* image = nullptr;

  ~SharedImage() { Release(); }
  void Release() {
    if (!image) return;
    XShmDetach(X().display, &segment);
    XDestroyImage(image);
    shmdt(segment.shmaddr);
    image = nullptr;
  }
  bool Fits(int width, int height) const {
    return image && image->width == width && image->height == height;
  }
  bool Make(int width, int height) {
    Release();
    Connection& x = X();
    image = XShmCreateImage(x.display, x.visual, static_cast<unsigned>(x.depth), ZPixmap, nullptr,
                            &segment, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!image) return false;
    segment.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * height,
                           IPC_CREAT | 0600);
    if (segment.shmid < 0) {
      XDestroyImage(image);
      image = nullptr;
      return false;
    }
    segment.shmaddr = image->data = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
    segment.readOnly = False;
    bool attached = false;
    if (segment.shmaddr != reinterpret_cast<char*>(-1)) {
      XSync(x.display, False);
      attachRefused = false;
      auto previous = XSetErrorHandler(NoteAttachError);
      attached = XShmAttach(x.display, &segment);
      XSync(x.display, False);
      XSetErrorHandler(previous);
      attached = attached && !attachRefused;
    }
    // Marked for removal now: it goes when both sides have detached.
    shmctl(segment.shmid, IPC_RMID, nullptr);
    if (!attached) {
      if (segment.shmaddr != reinterpret_cast<char*>(-1)) shmdt(segment.shmaddr);
      image->data = nullptr;
      XDestroyImage(image);
      image = nullptr;
      return false;
    }
    return true;
  }
};

struct PictureView {
  Control box{};
  std::unique_ptr<image::PictureDecoder> decoder;
  std::optional<image::PictureFrame> frame;  // rendered at frame->width x height
  int frameIndex = 0;
  int playsLeft = 0;  // for a counted loop
  bool shown = false;
  bool redrawPosted = false;
  bool finished = false;  // a counted loop has played out
  Clock::time_point nextFrameAt{};
  SharedImage shared;
};

namespace {

std::set<PictureView*> views;
int timerFd = -1;
bool shmWorks = true;

bool Animated(const PictureView& view) {
  return view.decoder && view.decoder->FrameCount() > 1 && !view.finished;
}


// Arms the toolkit's timer for the earliest frame due among shown boxes, or
// disarms it: a hidden animation costs nothing.
void ArmTimer() {
  if (timerFd < 0) return;
  Clock::time_point earliest = Clock::time_point::max();
  for (PictureView* view : views)
    if (view->shown && Animated(*view) && view->nextFrameAt < earliest)
      earliest = view->nextFrameAt;
  itimerspec spec{};
  if (earliest != Clock::time_point::max()) {
    auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(earliest - Clock::now());
    long long ns = std::max<long long>(wait.count(), 1);
    spec.it_value.tv_sec = ns / 1000000000;
    spec.it_value.tv_nsec = ns % 1000000000;
  }
  timerfd_settime(timerFd, 0, &spec, nullptr);
}

void Upload(PictureView& view, XControl& xc) {
  Connection& x = X();
  const image::PictureFrame& frame = *view.frame;
  GC gc = XCreateGC(x.display, xc.window, 0, nullptr);
  if (x.shm && shmWorks) {
    if (!view.shared.Fits(frame.width, frame.height) && !view.shared.Make(frame.width, frame.height))
      shmWorks = false;
  }
  if (x.shm && shmWorks) {
    XImage* image = view.shared.image;
    for (int row = 0; row < frame.height; ++row)
      std::memcpy(image->data + static_cast<size_t>(row) * image->bytes_per_line,
                  reinterpret_cast<const char*>(frame.pixels.data()) +
                      static_cast<size_t>(row) * frame.stride,
                  static_cast<size_t>(frame.width) * 4);
    XShmPutImage(x.display, xc.window, gc, image, 0, 0, 0, 0, static_cast<unsigned>(frame.width),
                 static_cast<unsigned>(frame.height), False);
  } else {
    XImage* image = XCreateImage(x.display, x.visual, static_cast<unsigned>(x.depth), ZPixmap, 0,
                                 reinterpret_cast<char*>(const_cast<std::uint32_t*>(frame.pixels.data())),
                                 static_cast<unsigned>(frame.width), static_cast<unsigned>(frame.height),
                                 32, frame.stride);
    if (image) {
      XPutImage(x.display, xc.window, gc, image, 0, 0, 0, 0, static_cast<unsigned>(frame.width),
                static_cast<unsigned>(frame.height));
      image->data = nullptr;  // the frame owns the pixels
      XDestroyImage(image);
    }
  }
  XFreeGC(x.display, gc);
  XFlush(x.display);
}

void Paint(PictureView& view) {
  view.redrawPosted = false;
  XWindow* xw = XWindowOf(view.box.window);
  if (!xw) return;
  XControl& xc = xw->controls[view.box.index];
  int width, height;
  {
    std::lock_guard lock(ModelMutex());
    width = StateOf(view.box).width;
    height = StateOf(view.box).height;
  }
  // Decoded first, placed after: the old picture stays until the new one is
  // ready.
  if (view.decoder && width > 0 && height > 0 &&
      (!view.frame || view.frame->width != width || view.frame->height != height))
    view.frame = view.decoder->RenderFrame(view.frameIndex, width, height);
  PlaceControlWindow(view.box);
  if (width <= 0 || height <= 0) return;
  if (!view.decoder) {
    XClearWindow(X().display, xc.window);  // the box's own colour
    XFlush(X().display);
    return;
  }
  if (!view.frame) {
    XClearWindow(X().display, xc.window);
    XFlush(X().display);
    return;
  }
  Upload(view, xc);
}

void PostPaint(PictureView& view) {
  if (view.redrawPosted) return;
  view.redrawPosted = true;
  PictureView* target = &view;
  posix::Post(posix::UiThread(), [target] {
    if (views.count(target)) PaintIfPending(*target);
  });
}

PictureView* ViewOf(Control box) {
  XWindow* xw = XWindowOf(box.window);
  return xw ? xw->controls[box.index].picture.get() : nullptr;
}

}  // namespace

void PictureViewDeleter::operator()(PictureView* view) const {
  views.erase(view);
  delete view;
  ArmTimer();
}

PictureViewPtr MakePictureView() {
  auto* view = new PictureView;
  views.insert(view);
  return PictureViewPtr(view);
}

void SetPictureShown(PictureView& view, bool shown) {
  if (view.shown == shown) return;
  view.shown = shown;
  if (shown && Animated(view))
    view.nextFrameAt = Clock::now() + std::chrono::milliseconds(view.decoder->FrameDelayMs(view.frameIndex));
  ArmTimer();
}

void SetPictureBytes(Control box, ByteData wholeFile) {
  PictureView* view = ViewOf(box);
  if (!view) return;
  view->box = box;
  view->decoder = image::OpenPicture(std::move(wholeFile), box.Definition().background);
  view->frame.reset();
  view->frameIndex = 0;
  view->finished = false;
  if (Animated(*view)) {
    int loops = view->decoder->LoopCount();
    view->playsLeft = loops == image::kLoopForever ? -1 : loops == image::kNoLoopExtension ? 1 : loops + 1;
    view->nextFrameAt = Clock::now() + std::chrono::milliseconds(view->decoder->FrameDelayMs(0));
  }
  ArmTimer();
  PostPaint(*view);
}

void PaintIfPending(PictureView& view) {
  if (view.redrawPosted) Paint(view);
}

void DrawPictureBox(Control box, XControl& xc) {
  if (!xc.picture) return;
  xc.picture->box = box;
  PostPaint(*xc.picture);
}

int AnimationTimerFd() {
  if (timerFd < 0) timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
  return timerFd;
}

void AdvanceAnimations() {
  Clock::time_point now = Clock::now();
  for (PictureView* view : views) {
    if (!view->shown || !Animated(*view) || view->nextFrameAt > now) continue;
    int next = view->frameIndex + 1;
    if (next >= view->decoder->FrameCount()) {
      if (view->playsLeft > 0 && --view->playsLeft == 0) {  // the last play ends here
        view->finished = true;
        continue;
      }
      next = 0;
    }
    view->frameIndex = next;
    view->frame.reset();
    view->nextFrameAt = now + std::chrono::milliseconds(view->decoder->FrameDelayMs(next));
    Paint(*view);
  }
  ArmTimer();
}

}  // namespace platform::x11
