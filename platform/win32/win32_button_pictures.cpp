// The three pictures of a picture button, drawn once when the button is made:
// the picture's word centred in its text colour on its background colour.
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_windows.h"

namespace platform::win32 {

namespace {

constexpr int kWordHeight = 13;

HBITMAP DrawPicture(HDC screen, HFONT font, const ButtonPicture& picture, int width, int height) {
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 24;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;

  HDC dc = ::CreateCompatibleDC(screen);
  HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
  HGDIOBJ oldFont = ::SelectObject(dc, font);
  RECT area{0, 0, width, height};
  HBRUSH background = ::CreateSolidBrush(ColourOf(picture.background));
  ::FillRect(dc, &area, background);
  ::DeleteObject(background);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ColourOf(picture.text));
  std::wstring word = Utf8ToWide(picture.word != nullptr ? picture.word : "");
  ::DrawTextW(dc, word.c_str(), static_cast<int>(word.size()), &area,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  ::GdiFlush();
  ::SelectObject(dc, oldFont);
  ::SelectObject(dc, oldBitmap);
  ::DeleteDC(dc);
  return bitmap;
}

}  // namespace

void DrawButtonPictures(const ControlDefinition& definition, HBITMAP pictures[3]) {
  HDC screen = ::GetDC(nullptr);
  // Grey-scale smoothing, not ClearType: the word's edges mix only its own
  // colour with the background's, so no pixel of a picture comes out black
  // (black would be cut out of the button's shape).
  HFONT font = ::CreateFontW(-kWordHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                             DEFAULT_PITCH | FF_SWISS, L"Segoe UI");
  const ButtonPicture* states[3] = {&definition.normal, &definition.hover, &definition.pressed};
  for (int i = 0; i < 3; ++i) {
    pictures[i] = DrawPicture(screen, font, *states[i], definition.width, definition.height);
  }
  ::DeleteObject(font);
  ::ReleaseDC(nullptr, screen);
}

}  // namespace platform::win32
