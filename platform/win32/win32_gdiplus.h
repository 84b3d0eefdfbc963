// The GDI+ flat functions that the picture box draws with. They are looked up
// in the system's own gdiplus.dll, by full path, when the first picture is
// set: a library of the same name beside the program is one of the program's
// bound libraries and no business of the picture box.
#pragma once

#include "platform/win32/win32_windows_h.h"

namespace platform::win32::gdiplus {

using Image = void;
using PropertyId = ULONG;
inline constexpr PropertyId kFrameDelay = 0x5100;  // PropertyTagFrameDelay: LONG[], 1/100 s
inline constexpr int kPixelFormat32bppArgb = 0x26200A;
inline constexpr UINT kLockRead = 1;
inline const GUID kFrameDimensionTime = {
    0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};

struct LockedBits {  // BitmapData
  UINT width, height;
  INT stride;
  INT pixelFormat;
  void* pixels;
  UINT_PTR reserved;
};

struct PropertyItem {
  PropertyId id;
  ULONG length;
  WORD type;
  void* value;
};

//   X(name, result, parameters)
#define PICDOCK_GDIPLUS_FUNCTIONS(X)                                                        \
  X(GdiplusStartup, int, (ULONG_PTR*, const void*, void*))                                  \
  X(GdiplusShutdown, void, (ULONG_PTR))                                                     \
  X(GdipCreateBitmapFromStream, int, (IStream*, Image**))                                   \
  X(GdipDisposeImage, int, (Image*))                                                        \
  X(GdipGetImageWidth, int, (Image*, UINT*))                                                \
  X(GdipGetImageHeight, int, (Image*, UINT*))                                               \
  X(GdipImageGetFrameCount, int, (Image*, const GUID*, UINT*))                              \
  X(GdipImageSelectActiveFrame, int, (Image*, const GUID*, UINT))                           \
  X(GdipGetPropertyItemSize, int, (Image*, PropertyId, UINT*))                              \
  X(GdipGetPropertyItem, int, (Image*, PropertyId, UINT, PropertyItem*))                    \
  X(GdipBitmapLockBits, int, (Image*, const void*, UINT, INT, LockedBits*))                 \
  X(GdipBitmapUnlockBits, int, (Image*, LockedBits*))

struct Functions {
#define PICDOCK_GDIPLUS_MEMBER(name, result, parameters) result(WINAPI* name) parameters = nullptr;
  PICDOCK_GDIPLUS_FUNCTIONS(PICDOCK_GDIPLUS_MEMBER)
#undef PICDOCK_GDIPLUS_MEMBER
};

// The functions, with GDI+ started; null when the system has no usable GDI+
// (the picture box then shows nothing). UI thread only.
const Functions* Get();
// Shuts GDI+ down and unloads it (the end of the program).
void Release();

}  // namespace platform::win32::gdiplus
