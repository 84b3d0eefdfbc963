#include "platform/x11/x11_picture_box.h"

#include "platform/window_model.h"
#include "platform/x11/x11_connection.h"

namespace platform::x11 {

struct PictureView {
  bool shown = false;
};

void PictureViewDeleter::operator()(PictureView* view) const { delete view; }

PictureViewPtr MakePictureView() { return PictureViewPtr(new PictureView); }

void SetPictureShown(PictureView& view, bool shown) { view.shown = shown; }

void SetPictureBytes(Control, const ByteData&) {}

void DrawPictureBox(Control box, XControl& xc) {
  Connection& x = X();
  XSetWindowBackground(x.display, xc.window, PixelOf(box.Definition().background));
  XClearWindow(x.display, xc.window);
}

int AnimationTimerFd() { return -1; }
void AdvanceAnimations() {}

}  // namespace platform::x11
