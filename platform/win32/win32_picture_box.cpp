// The picture box: decodes a whole picture file with GDI+, lays transparent
// pixels over the box's background once, and draws the frame stretched to
// the box. Animated pictures play on a timer with their own frame delays.
#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "platform/win32/win32_gdiplus.h"
#include "platform/win32/win32_windows.h"

namespace platform::win32 {

const wchar_t kPictureBoxClass[] = L"picdock.picture";

namespace {

constexpr UINT_PTR kAnimationTimer = 1;
// Frames that ask for 10 ms or less play at 100 ms, as browsers do: such
// delays are almost always "no delay given".
constexpr UINT kShortestDelayMs = 10;
constexpr UINT kDefaultDelayMs = 100;

}  // namespace

struct PictureView {
  COLORREF background = 0;
  // The decoded picture; GDI+ reads from the stream for as long as the image
  // lives, so the two go together.
  gdiplus::Image* image = nullptr;
  IStream* stream = nullptr;
  std::vector<UINT> delaysMs;  // one per frame; a still picture has one frame
  UINT frame = 0;
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // the frame over the background, 0x00RRGGBB

  ~PictureView() { Clear(nullptr); }

  void Clear(HWND box) {
    if (box != nullptr) ::KillTimer(box, kAnimationTimer);
    if (image != nullptr) {
      if (const gdiplus::Functions* gdip = gdiplus::Get()) gdip->GdipDisposeImage(image);
    }
    if (stream != nullptr) stream->Release();
    image = nullptr;
    stream = nullptr;
    delaysMs.clear();
    frame = 0;
    width = height = 0;
    pixels.clear();
  }
};

namespace {

PictureView* ViewOf(HWND box) {
  return reinterpret_cast<PictureView*>(::GetWindowLongPtrW(box, GWLP_USERDATA));
}

IStream* StreamOver(const ByteData& bytes) {
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (block == nullptr) return nullptr;
  void* address = ::GlobalLock(block);
  if (address == nullptr) {
    ::GlobalFree(block);
    return nullptr;
  }
  std::copy(bytes.begin(), bytes.end(), static_cast<std::uint8_t*>(address));
  ::GlobalUnlock(block);
  IStream* stream = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream))) {
    ::GlobalFree(block);
    return nullptr;
  }
  return stream;
}

std::vector<UINT> FrameDelays(const gdiplus::Functions& gdip, gdiplus::Image* image, UINT frames) {
  std::vector<UINT> delays(frames, kDefaultDelayMs);
  if (frames < 2) return delays;
  UINT size = 0;
  if (gdip.GdipGetPropertyItemSize(image, gdiplus::kFrameDelay, &size) != 0 ||
      size < sizeof(gdiplus::PropertyItem)) {
    return delays;
  }
  std::vector<std::uint8_t> buffer(size);
  auto* item = reinterpret_cast<gdiplus::PropertyItem*>(buffer.data());
  if (gdip.GdipGetPropertyItem(image, gdiplus::kFrameDelay, size, item) != 0) return delays;
  const auto* hundredths = static_cast<const std::uint32_t*>(item->value);
  std::size_t given = std::min<std::size_t>(item->length / 4, frames);
  for (std::size_t i = 0; i < given; ++i) {
    UINT ms = hundredths[i] * 10;
    delays[i] = ms <= kShortestDelayMs ? kDefaultDelayMs : ms;
  }
  return delays;
}

// The current frame laid over the background: transparent and translucent
// pixels show the box's colour, as they would on the box itself.
bool ComposeFrame(const gdiplus::Functions& gdip, PictureView& view) {
  if (view.delaysMs.size() > 1 &&
      gdip.GdipImageSelectActiveFrame(view.image, &gdiplus::kFrameDimensionTime, view.frame) != 0) {
    return false;
  }
  gdiplus::LockedBits bits{};
  if (gdip.GdipBitmapLockBits(view.image, nullptr, gdiplus::kLockRead,
                              gdiplus::kPixelFormat32bppArgb, &bits) != 0) {
    return false;
  }
  bool done = false;
  try {
    view.width = static_cast<int>(bits.width);
    view.height = static_cast<int>(bits.height);
    view.pixels.resize(static_cast<std::size_t>(bits.width) * bits.height);
    const std::uint32_t under[3] = {GetRValue(view.background), GetGValue(view.background),
                                    GetBValue(view.background)};
    for (UINT y = 0; y < bits.height; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(
          static_cast<const std::uint8_t*>(bits.pixels) + static_cast<std::ptrdiff_t>(y) * bits.stride);
      std::uint32_t* out = view.pixels.data() + static_cast<std::size_t>(y) * bits.width;
      for (UINT x = 0; x < bits.width; ++x) {
        std::uint32_t argb = row[x];
        std::uint32_t a = argb >> 24;
        std::uint32_t channel[3] = {(argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF};
        for (int c = 0; c < 3; ++c) channel[c] = (channel[c] * a + under[c] * (255 - a) + 127) / 255;
        out[x] = channel[0] << 16 | channel[1] << 8 | channel[2];
      }
    }
    done = true;
  } catch (const std::bad_alloc&) {
    // A picture too large for the address space shows nothing.
    view.pixels.clear();
  }
  gdip.GdipBitmapUnlockBits(view.image, &bits);
  return done;
}

void ScheduleNextFrame(HWND box, const PictureView& view) {
  if (view.delaysMs.size() > 1) ::SetTimer(box, kAnimationTimer, view.delaysMs[view.frame], nullptr);
}

void Paint(HWND box, PictureView& view) {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(box, &paint);
  RECT client;
  ::GetClientRect(box, &client);
  if (view.pixels.empty()) {
    HBRUSH brush = ::CreateSolidBrush(view.background);
    ::FillRect(dc, &client, brush);
    ::DeleteObject(brush);
  } else {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = view.width;
    format.bmiHeader.biHeight = -view.height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    ::SetStretchBltMode(dc, HALFTONE);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    ::StretchDIBits(dc, 0, 0, client.right, client.bottom, 0, 0, view.width, view.height,
                    view.pixels.data(), &format, DIB_RGB_COLORS, SRCCOPY);
  }
  ::EndPaint(box, &paint);
}

LRESULT CALLBACK PictureBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      auto* definition = static_cast<const ControlDefinition*>(create->lpCreateParams);
      auto* view = new PictureView;
      view->background = ColourOf(definition != nullptr ? definition->background : kButtonFace);
      ::SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
      break;
    }
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers the whole box
    case WM_PAINT:
      if (PictureView* view = ViewOf(box)) {
        Paint(box, *view);
        return 0;
      }
      break;
    case WM_SIZE:
      ::InvalidateRect(box, nullptr, FALSE);  // stretched: every pixel moves
      return 0;
    case WM_TIMER:
      if (PictureView* view = ViewOf(box); view != nullptr && wParam == kAnimationTimer) {
        const gdiplus::Functions* gdip = gdiplus::Get();
        if (gdip == nullptr || view->delaysMs.size() < 2) {
          ::KillTimer(box, kAnimationTimer);
          return 0;
        }
        view->frame = (view->frame + 1) % static_cast<UINT>(view->delaysMs.size());
        ComposeFrame(*gdip, *view);
        ::InvalidateRect(box, nullptr, FALSE);
        ScheduleNextFrame(box, *view);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      ::KillTimer(box, kAnimationTimer);
      delete ViewOf(box);
      ::SetWindowLongPtrW(box, GWLP_USERDATA, 0);
      break;
  }
  return ::DefWindowProcW(box, message, wParam, lParam);
}

}  // namespace

void RegisterPictureBoxClass() {
  WNDCLASSEXW boxClass{};
  boxClass.cbSize = sizeof boxClass;
  boxClass.lpfnWndProc = PictureBoxProcedure;
  boxClass.hInstance = ::GetModuleHandleW(nullptr);
  boxClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  boxClass.lpszClassName = kPictureBoxClass;
  ::RegisterClassExW(&boxClass);
}

void SetPictureBytes(HWND box, const ByteData& wholeFile) {
  PictureView* view = ViewOf(box);
  if (view == nullptr) return;
  view->Clear(box);
  ::InvalidateRect(box, nullptr, FALSE);
  if (wholeFile.empty()) return;
  const gdiplus::Functions* gdip = gdiplus::Get();
  if (gdip == nullptr) return;

  view->stream = StreamOver(wholeFile);
  if (view->stream == nullptr) return;
  if (gdip->GdipCreateBitmapFromStream(view->stream, &view->image) != 0 || view->image == nullptr) {
    view->image = nullptr;  // bytes that are no picture show nothing
    view->Clear(box);
    return;
  }
  UINT frames = 0;
  if (gdip->GdipImageGetFrameCount(view->image, &gdiplus::kFrameDimensionTime, &frames) != 0 ||
      frames == 0) {
    frames = 1;
  }
  view->delaysMs = FrameDelays(*gdip, view->image, frames);
  if (!ComposeFrame(*gdip, *view)) {
    view->Clear(box);
    return;
  }
  ScheduleNextFrame(box, *view);
}

}  // namespace platform::win32
