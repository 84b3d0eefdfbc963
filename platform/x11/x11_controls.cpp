// Drawing of the picture button and the list.
#include <X11/Xft/Xft.h>

#include <algorithm>

#include "platform/posix/thread_queue.h"
#include "platform/window_model.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_picture_box.h"
#include "platform/x11/x11_text.h"
#include "platform/x11/x11_windows.h"

namespace platform::x11 {
namespace {

// The list's selected row, as the system's list boxes show it.
constexpr Rgb kHighlight{0, 120, 215};
constexpr Rgb kHighlightText{255, 255, 255};

Pixmap DrawButtonPicture(const ButtonPicture& picture, int width, int height) {
  Connection& x = X();
  Pixmap pixmap = XCreatePixmap(x.display, x.root, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), static_cast<unsigned>(x.depth));
  GC gc = XCreateGC(x.display, pixmap, 0, nullptr);
  XSetForeground(x.display, gc, PixelOf(picture.background));
  XFillRectangle(x.display, pixmap, gc, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XFreeGC(x.display, gc);
  XftDraw* draw = XftDrawCreate(x.display, pixmap, x.visual, x.colormap);
  XftFont* font = ButtonFont();
  int textWidth = TextWidth(font, picture.word);
  int baseline = (height - (font->ascent + font->descent)) / 2 + font->ascent;
  DrawText(draw, font, picture.text, (width - textWidth) / 2, baseline, picture.word);
  XftDrawDestroy(draw);
  return pixmap;
}

void DrawButton(Control button, XControl& xc) {
  Connection& x = X();
  int width, height;
  {
    std::lock_guard lock(ModelMutex());
    width = StateOf(button).width;
    height = StateOf(button).height;
  }
  if (width <= 0 || height <= 0) return;
  int which = xc.pressed && xc.hover ? 2 : xc.hover ? 1 : 0;
  GC gc = XCreateGC(x.display, xc.window, 0, nullptr);
  XCopyArea(x.display, xc.pictures[which], xc.window, gc, 0, 0, static_cast<unsigned>(width),
            static_cast<unsigned>(height), 0, 0);
  XFreeGC(x.display, gc);
}

// Draws the rows that cross the window's visible band into a pixmap of that
// band and copies it over in one step, so a list of thousands of rows costs
// what is on the screen.
void DrawList(Control list, XControl& xc) {
  Connection& x = X();
  const ControlDefinition& definition = list.Definition();
  ControlState state;
  {
    std::lock_guard lock(ModelMutex());
    state = StateOf(list);
  }
  if (state.width <= 0 || state.height <= 0) return;
  int screenHeight = DisplayHeight(x.display, x.screen);
  int windowTop;
  {
    std::lock_guard lock(ModelMutex());
    windowTop = StateOf({list.window, -1}).top + state.top;
  }
  int bandTop = std::clamp(-windowTop, 0, state.height);
  int bandBottom = std::clamp(screenHeight - windowTop, bandTop, state.height);
  if (bandBottom <= bandTop) return;
  int bandHeight = bandBottom - bandTop;

  Pixmap pixmap = XCreatePixmap(x.display, xc.window, static_cast<unsigned>(state.width),
                                static_cast<unsigned>(bandHeight), static_cast<unsigned>(x.depth));
  GC gc = XCreateGC(x.display, pixmap, 0, nullptr);
  XSetForeground(x.display, gc, PixelOf(definition.background));
  XFillRectangle(x.display, pixmap, gc, 0, 0, static_cast<unsigned>(state.width),
                 static_cast<unsigned>(bandHeight));
  XftDraw* draw = XftDrawCreate(x.display, pixmap, x.visual, x.colormap);
  XftFont* font = FontFor(definition.font);
  int rowHeight = definition.rowHeight;
  int first = bandTop / rowHeight;
  int last = std::min(static_cast<int>(state.items.size()) - 1, (bandBottom - 1) / rowHeight);
  for (int row = first; row <= last; ++row) {
    int top = row * rowHeight - bandTop;
    bool selected = row == state.selection;
    if (selected) {
      XSetForeground(x.display, gc, PixelOf(kHighlight));
      XFillRectangle(x.display, pixmap, gc, 0, top, static_cast<unsigned>(state.width),
                     static_cast<unsigned>(rowHeight));
    }
    int baseline = top + (rowHeight - (font->ascent + font->descent)) / 2 + font->ascent;
    DrawText(draw, font, selected ? kHighlightText : definition.textColour, 2, baseline,
             state.items[row]);
  }
  XftDrawDestroy(draw);
  XCopyArea(x.display, pixmap, xc.window, gc, 0, 0, static_cast<unsigned>(state.width),
            static_cast<unsigned>(bandHeight), 0, bandTop);
  XFreeGC(x.display, gc);
  XFreePixmap(x.display, pixmap);
}

}  // namespace

void MakeButtonPictures(Control button, XControl& xc) {
  const ControlDefinition& d = button.Definition();
  xc.pictures[0] = DrawButtonPicture(d.normal, d.width, d.height);
  xc.pictures[1] = DrawButtonPicture(d.hover, d.width, d.height);
  xc.pictures[2] = DrawButtonPicture(d.pressed, d.width, d.height);
}

void FreeButtonPictures(XControl& xc) {
  for (Pixmap& pixmap : xc.pictures) {
    if (pixmap) XFreePixmap(X().display, pixmap);
    pixmap = 0;
  }
}

void DrawControl(Control control) {
  if (control.IsWindow()) return;
  XWindow* xw = XWindowOf(control.window);
  if (!xw) return;
  XControl& xc = xw->controls[control.index];
  switch (control.Definition().kind) {
    case ControlKind::PictureButton: DrawButton(control, xc); break;
    case ControlKind::ListBox:
      // Rows come one at a time while the folder is read: one redraw when
      // the UI thread next turns covers them all.
      if (!xc.redrawPosted) {
        xc.redrawPosted = true;
        posix::Post(posix::UiThread(), [control] {
          XWindow* xw = XWindowOf(control.window);
          if (!xw) return;
          xw->controls[control.index].redrawPosted = false;
          DrawList(control, xw->controls[control.index]);
          XFlush(X().display);
        });
      }
      break;
    case ControlKind::PictureBox: DrawPictureBox(control, xc); break;
  }
  XFlush(X().display);
}

}  // namespace platform::x11
