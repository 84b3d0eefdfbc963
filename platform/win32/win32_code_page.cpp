#include "platform/system.h"
#include "platform/win32/win32_bound_functions.h"

namespace platform {

int SystemCodePage() { return static_cast<int>(::GetACP()); }

std::size_t TextLength(const char* bytes) { return win32::bound::strlen(bytes); }

int MultiByteToWideChar(int codePage, const char* bytes, char16_t* output, int capacity) {
  // Flags 0: invalid sequences are replaced rather than refused.
  return win32::bound::MultiByteToWideChar(static_cast<UINT>(codePage), DWORD{0}, bytes, -1,
                                           reinterpret_cast<WCHAR*>(output), capacity);
}

}  // namespace platform
