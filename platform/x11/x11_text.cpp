#include "platform/x11/x11_text.h"

#include <fontconfig/fontconfig.h>

#include <map>
#include <string>

#include "platform/x11/x11_connection.h"

namespace platform::x11 {
namespace {

// Faces tried after the one a definition names: the common Chinese UI faces
// of free systems, then whatever fontconfig offers.
const char* const kFallbackFamilies[] = {"Microsoft YaHei", "WenQuanYi Micro Hei",
                                         "Noto Sans CJK SC", "Droid Sans Fallback", "sans-serif"};

XftFont* Open(const char* family, double pixelSize, int weight) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  for (const char* fallback : kFallbackFamilies)
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(fallback));
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixelSize);
  FcPatternAddInteger(pattern, FC_WEIGHT, weight >= 700 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  Connection& x = X();
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  XftDefaultSubstitute(x.display, x.screen, pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return XftFontOpenName(x.display, x.screen, "sans-serif");
  XftFont* font = XftFontOpenPattern(x.display, match);  // owns match on success
  if (!font) {
    FcPatternDestroy(match);
    font = XftFontOpenName(x.display, x.screen, "sans-serif");
  }
  return font;
}

// Replaces every byte that does not start or continue a well-formed UTF-8
// sequence with U+FFFD.
Text ValidUtf8(const Text& text) {
  Text out;
  size_t i = 0, n = text.size();
  auto continuation = [&](size_t at) {
    return at < n && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
  };
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t length = c < 0x80 ? 1 : (c >> 5) == 6 && c >= 0xC2 ? 2 : (c >> 4) == 14 ? 3
                             : (c >> 3) == 30 && c <= 0xF4 ? 4 : 0;
    bool good = length > 0;
    for (size_t k = 1; good && k < length; ++k) good = continuation(i + k);
    if (good) {
      out.append(text, i, length);
      i += length;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

}  // namespace

XftFont* FontFor(const FontSpec& spec) {
  static std::map<std::string, XftFont*> opened;
  std::string key = std::string(spec.family) + "/" + std::to_string(spec.height) + "/" +
                    std::to_string(spec.weight);
  auto& font = opened[key];
  if (!font) font = Open(spec.family, spec.height, spec.weight);
  return font;
}

XftFont* ButtonFont() {
  static XftFont* font = Open("DejaVu Sans", 13, 700);
  return font;
}

void DrawText(XftDraw* draw, XftFont* font, Rgb colour, int x, int baseline, const Text& text) {
  Connection& c = X();
  XRenderColor render{static_cast<unsigned short>(colour.r * 257),
                      static_cast<unsigned short>(colour.g * 257),
                      static_cast<unsigned short>(colour.b * 257), 0xFFFF};
  XftColor xft;
  XftColorAllocValue(c.display, c.visual, c.colormap, &render, &xft);
  Text valid = ValidUtf8(text);
  XftDrawStringUtf8(draw, &xft, font, x, baseline, reinterpret_cast<const FcChar8*>(valid.data()),
                    static_cast<int>(valid.size()));
  XftColorFree(c.display, c.visual, c.colormap, &xft);
}

int TextWidth(XftFont* font, const Text& text) {
  Text valid = ValidUtf8(text);
  XGlyphInfo extents;
  XftTextExtentsUtf8(X().display, font, reinterpret_cast<const FcChar8*>(valid.data()),
                     static_cast<int>(valid.size()), &extents);
  return extents.xOff;
}

}  // namespace platform::x11
