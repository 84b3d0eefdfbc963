#include "tests/win32/windows_test_helpers.h"

#include <stdexcept>

#include "platform/win32/win32_windows_h.h"

namespace win32_test {

namespace {

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA entry;
  HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        ::DeleteFileA(child.c_str());
      }
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
  }
  ::RemoveDirectoryA(path.c_str());
}

}  // namespace

ScratchFolder::ScratchFolder() {
  char temp[MAX_PATH];
  DWORD length = ::GetTempPathA(MAX_PATH, temp);
  if (length == 0) throw std::runtime_error("GetTempPathA failed");
  std::string base(temp, length);
  if (base.back() == '\\') base.pop_back();
  for (unsigned attempt = ::GetTickCount();; ++attempt) {
    path_ = base + "\\picdock-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(attempt);
    if (::CreateDirectoryA(path_.c_str(), nullptr)) return;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("CreateDirectoryA failed");
  }
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

namespace {
void Write(HANDLE file, const std::vector<std::uint8_t>& bytes) {
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("CreateFile failed");
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
}
}  // namespace

void WriteBytes(const Text& path, const std::vector<std::uint8_t>& bytes) {
  Write(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                      nullptr),
        bytes);
}

void WriteBytesWide(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  Write(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                      nullptr),
        bytes);
}

void MakeFolder(const Text& path) { ::CreateDirectoryA(path.c_str(), nullptr); }

std::vector<std::uint8_t> SolidBmp(int width, int height, std::uint8_t r, std::uint8_t g,
                                   std::uint8_t b) {
  const int stride = (width * 3 + 3) & ~3;
  const std::uint32_t pixels = static_cast<std::uint32_t>(stride * height);
  std::vector<std::uint8_t> out;
  auto put = [&](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  };
  out.push_back('B');
  out.push_back('M');
  put(14 + 40 + pixels, 4);
  put(0, 4);
  put(14 + 40, 4);
  put(40, 4);
  put(static_cast<std::uint32_t>(width), 4);
  put(static_cast<std::uint32_t>(height), 4);
  put(1, 2);
  put(24, 2);
  put(0, 4);
  put(pixels, 4);
  put(2835, 4);
  put(2835, 4);
  put(0, 4);
  put(0, 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      out.push_back(b);
      out.push_back(g);
      out.push_back(r);
    }
    for (int pad = width * 3; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  DWORD start = ::GetTickCount();
  for (;;) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    if (done()) return true;
    if (static_cast<int>(::GetTickCount() - start) > timeoutMs) return done();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void DropQuitRequest() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

}  // namespace win32_test
