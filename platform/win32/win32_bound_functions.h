// The 27 system functions that the program binds by library and exported name
// at their first call. The list is kept in one X-macro so that the table of
// names and the typed callers can't drift apart:
//   X(entry, library, exported name, result, calling convention, parameters)
// Library names are written as the program has always written them; Windows
// compares them without regard to case, and each entry loads its library on
// its own.
#pragma once

#include <cstddef>

#include "platform/binder.h"
#include "platform/win32/win32_windows_h.h"

namespace platform::win32 {

// The start-up record of GdiplusStartup: four 32-bit fields.
struct GdiplusStartupRecord {
  UINT32 version;
  void* debugEventCallback;
  BOOL suppressBackgroundThread;
  BOOL suppressExternalCodecs;
};
using GdiplusImage = void;

#define PICDOCK_BOUND_FUNCTIONS(X)                                                              \
  X(0, "user32.dll", GetWindowLongA, LONG, WINAPI, (HWND, int))                                 \
  X(1, "user32.dll", SetWindowLongA, LONG, WINAPI, (HWND, int, LONG))                           \
  X(2, "user32.dll", SetLayeredWindowAttributes, BOOL, WINAPI, (HWND, COLORREF, BYTE, DWORD))   \
  X(3, "user32.dll", PeekMessageA, BOOL, WINAPI, (MSG*, HWND, UINT, UINT, UINT))                \
  X(4, "user32.dll", TranslateMessage, BOOL, WINAPI, (const MSG*))                              \
  X(5, "user32.dll", DispatchMessageA, LRESULT, WINAPI, (const MSG*))                           \
  X(6, "kernel32.dll", CreateWaitableTimerA, HANDLE, WINAPI,                                    \
    (SECURITY_ATTRIBUTES*, BOOL, const char*))                                                  \
  X(7, "kernel32.dll", SetWaitableTimer, BOOL, WINAPI,                                          \
    (HANDLE, const LARGE_INTEGER*, LONG, PTIMERAPCROUTINE, void*, BOOL))                        \
  X(8, "User32.dll", MsgWaitForMultipleObjects, DWORD, WINAPI,                                  \
    (DWORD, const HANDLE*, BOOL, DWORD, DWORD))                                                 \
  X(9, "kernel32.dll", CloseHandle, BOOL, WINAPI, (HANDLE))                                     \
  X(10, "gdiplus.dll", GdiplusStartup, int, WINAPI,                                             \
    (ULONG_PTR*, const GdiplusStartupRecord*, void*))                                           \
  X(11, "gdiplus.dll", GdipLoadImageFromFile, int, WINAPI, (const WCHAR*, GdiplusImage**))      \
  X(12, "kernel32.dll", GlobalAlloc, HGLOBAL, WINAPI, (UINT, SIZE_T))                           \
  X(13, "kernel32.dll", GlobalLock, void*, WINAPI, (HGLOBAL))                                   \
  X(14, "kernel32.dll", RtlMoveMemory, void, WINAPI, (void*, const void*, SIZE_T))              \
  X(15, "Ole32.dll", CreateStreamOnHGlobal, HRESULT, WINAPI, (HGLOBAL, BOOL, IStream**))        \
  X(16, "GdiPlus.dll", GdipLoadImageFromStream, int, WINAPI, (IStream*, GdiplusImage**))        \
  X(17, "kernel32.dll", GlobalUnlock, BOOL, WINAPI, (HGLOBAL))                                  \
  X(18, "kernel32.dll", GlobalFree, HGLOBAL, WINAPI, (HGLOBAL))                                 \
  X(19, "gdiplus.dll", GdipGetImageHeight, int, WINAPI, (GdiplusImage*, UINT*))                 \
  X(20, "gdiplus.dll", GdipDisposeImage, int, WINAPI, (GdiplusImage*))                          \
  X(21, "gdiplus.dll", GdiplusShutdown, void, WINAPI, (ULONG_PTR))                              \
  X(22, "msvcrt.dll", strlen, std::size_t, __cdecl, (const char*))                              \
  X(23, "Kernel32.dll", MultiByteToWideChar, int, WINAPI,                                       \
    (UINT, DWORD, const char*, int, WCHAR*, int))                                               \
  X(24, "kernel32.dll", FindFirstFileW, HANDLE, WINAPI, (const WCHAR*, WIN32_FIND_DATAW*))      \
  X(25, "kernel32.dll", FindClose, BOOL, WINAPI, (HANDLE))                                      \
  X(26, "gdiplus.dll", GdipGetImageWidth, int, WINAPI, (GdiplusImage*, UINT*))

inline constexpr int kBoundFunctionCount = 27;

// The slots, in entry order. Each starts empty and binds at its first call.
extern BoundFunction gBoundFunctions[kBoundFunctionCount];

// bound::Name(arguments...) calls entry Name through its slot.
namespace bound {
#define PICDOCK_BOUND_CALLER(entry, library, name, result, convention, parameters)   \
  using name##Function = result convention parameters;                                \
  template <typename... Arguments>                                                    \
  result name(Arguments... arguments) {                                               \
    return BoundAs<name##Function>(gBoundFunctions[entry])(arguments...);             \
  }
PICDOCK_BOUND_FUNCTIONS(PICDOCK_BOUND_CALLER)
#undef PICDOCK_BOUND_CALLER
}  // namespace bound

}  // namespace platform::win32
