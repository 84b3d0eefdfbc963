// Layered windows through the bound user32 functions.
#include "platform/system.h"
#include "platform/win32/win32_bound_functions.h"

namespace platform {

std::int32_t GetWindowLongA(NativeHandle window, int index) {
  return win32::bound::GetWindowLongA(reinterpret_cast<HWND>(window), index);
}

std::int32_t SetWindowLongA(NativeHandle window, int index, std::int32_t value) {
  return win32::bound::SetWindowLongA(reinterpret_cast<HWND>(window), index, LONG{value});
}

int SetLayeredWindowAttributes(NativeHandle window, std::uint32_t colourKey, std::uint8_t alpha,
                               std::uint32_t flags) {
  return win32::bound::SetLayeredWindowAttributes(reinterpret_cast<HWND>(window),
                                                  COLORREF{colourKey}, BYTE{alpha}, DWORD{flags});
}

}  // namespace platform
