// The picture box: a picture decoded for the size it is shown at, animated
// pictures played on the toolkit's timer while the box's window is shown.
#pragma once

#include "platform/x11/x11_windows.h"

namespace platform::x11 {

PictureViewPtr MakePictureView();
// Animation runs only while the window is shown.
void SetPictureShown(PictureView& view, bool shown);
// Places the box and draws its picture, on the UI thread's next turn or
// when PaintIfPending comes first.
void DrawPictureBox(Control box, XControl& x);
void PaintIfPending(PictureView& view);
// The toolkit's timer: readable when an animation frame is due.
int AnimationTimerFd();
void AdvanceAnimations();

}  // namespace platform::x11
