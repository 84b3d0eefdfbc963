// The image size probe on GDI+'s flat interface, every call through the bound
// functions: start GDI+, load the picture from a file or from a stream over a
// movable memory block, read one dimension, dispose of it, shut GDI+ down.
// Nothing is carried from one call to the next.
#include "platform/system.h"
#include "platform/win32/win32_bound_functions.h"

namespace platform {

namespace {

using win32::GdiplusImage;
namespace bound = win32::bound;

constexpr UINT kMovableMemory = 2;  // GMEM_MOVEABLE

int ReadDimension(GdiplusImage* picture, Dimension which) {
  UINT value = 0;
  // Handed a null picture the query fails and writes nothing: 0.
  if (which == Dimension::Width) {
    bound::GdipGetImageWidth(picture, &value);
  } else {
    bound::GdipGetImageHeight(picture, &value);
  }
  return static_cast<int>(value);
}

// Runs `load` between GDI+'s start-up and shut-down and measures what it
// loaded; 0 when GDI+ does not start.
template <typename Load>
int Measure(Dimension which, Load load) {
  win32::GdiplusStartupRecord record{};
  record.version = 1;
  ULONG_PTR token = 0;
  if (bound::GdiplusStartup(&token, &record, nullptr) != 0) return 0;
  GdiplusImage* picture = nullptr;
  load(&picture);
  int value = ReadDimension(picture, which);
  bound::GdipDisposeImage(picture);
  bound::GdiplusShutdown(token);
  return value;
}

}  // namespace

int MeasurePictureFile(const ByteData& wideName, Dimension which) {
  return Measure(which, [&](GdiplusImage** picture) {
    // The name ends in its zero unit; an empty one names nothing.
    if (wideName.size() < 2) return;
    bound::GdipLoadImageFromFile(reinterpret_cast<const WCHAR*>(wideName.data()), picture);
  });
}

int MeasurePictureBytes(const ByteData& bytes, Dimension which) {
  return Measure(which, [&](GdiplusImage** picture) {
    SIZE_T count = bytes.size();
    HGLOBAL block = bound::GlobalAlloc(kMovableMemory, count);
    if (block == nullptr) return;  // no memory for the copy: nothing loads
    void* address = bound::GlobalLock(block);
    if (address == nullptr && count != 0) {
      bound::GlobalFree(block);
      return;
    }
    const void* source = bytes.empty() ? nullptr : bytes.data();
    bound::RtlMoveMemory(address, source, count);
    IStream* stream = nullptr;
    HRESULT status = bound::CreateStreamOnHGlobal(block, FALSE, &stream);
    bound::GdipLoadImageFromStream(stream, picture);
    if (status == 0) stream->Release();
    // The picture holds its size from the moment it is loaded, so the copy
    // can go before the size is read.
    bound::GlobalUnlock(block);
    bound::GlobalFree(block);
  });
}

}  // namespace platform
