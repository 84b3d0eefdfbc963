// Text on X: Xft fonts found through fontconfig.
#pragma once

#include <X11/Xft/Xft.h>

#include "platform/window_definition.h"
#include "support/text.h"

namespace platform::x11 {

// The face the definition names, or where the system lacks it one that can
// show Chinese names; opened once for each font asked for and kept.
XftFont* FontFor(const FontSpec& spec);
// The face of the button pictures.
XftFont* ButtonFont();

// Draws UTF-8 text; bytes that are not UTF-8 are shown as U+FFFD rather
// than cutting the text short.
void DrawText(XftDraw* draw, XftFont* font, Rgb colour, int x, int baseline, const Text& text);
int TextWidth(XftFont* font, const Text& text);

}  // namespace platform::x11
