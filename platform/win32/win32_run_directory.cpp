// The executable's folder and the reading of whole files.
#include <new>
#include <string>

#include "platform/toolkit.h"
#include "platform/win32/win32_windows_h.h"

namespace platform {

namespace {

// Larger files can't be a picture that this program shows, and reading them
// would exhaust the address space of a 32-bit process.
constexpr LONGLONG kMaxReadBytes = 512ll << 20;

Text ModuleFileName() {
  std::string name(MAX_PATH, '\0');
  for (;;) {
    DWORD length = ::GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      return name;
    }
    name.resize(name.size() * 2);
  }
}

}  // namespace

Text RunDirectory() {
  Text file = ModuleFileName();
  // The last backslash that is a character of its own: in a double-byte code
  // page the second byte of a character can be 0x5C too.
  std::size_t last = Text::npos;
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (::IsDBCSLeadByte(static_cast<BYTE>(file[i])) && i + 1 < file.size()) {
      ++i;
    } else if (file[i] == '\\') {
      last = i;
    }
  }
  // For a program at a drive's root this leaves the drive letter and colon.
  return last == Text::npos ? Text() : file.substr(0, last);
}

ByteData ReadWholeFile(const Text& name) {
  if (name.empty()) return {};
  HANDLE file = ::CreateFileA(name.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                              nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  ByteData bytes;
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file, &size) && size.QuadPart <= kMaxReadBytes) {
    try {
      bytes.resize(static_cast<std::size_t>(size.QuadPart));
      std::size_t done = 0;
      while (done < bytes.size()) {
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
        if (!::ReadFile(file, bytes.data() + done, want, &got, nullptr) || got == 0) break;
        done += got;
      }
      // A file that shrank while it was read is read as far as it goes; one
      // that could not be read at all gives nothing.
      bytes.resize(done);
    } catch (const std::bad_alloc&) {
      bytes.clear();
    }
  }
  ::CloseHandle(file);
  return bytes;
}

}  // namespace platform
