// What the Windows tests share: scratch folders, files, a BMP writer and a
// message pump with a deadline.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/text.h"

namespace win32_test {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  // The folder, without a trailing backslash.
  const Text& Path() const { return path_; }
  Text operator/(const Text& name) const { return path_ + "\\" + name; }

 private:
  Text path_;
};

void WriteBytes(const Text& path, const std::vector<std::uint8_t>& bytes);
void WriteBytesWide(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
void MakeFolder(const Text& path);

// A 24-bit bottom-up BMP of one colour.
std::vector<std::uint8_t> SolidBmp(int width, int height, std::uint8_t r, std::uint8_t g,
                                   std::uint8_t b);

// Dispatches the calling thread's messages until `done` holds or `timeoutMs`
// passed; the last answer.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);

// Takes a pending quit request off the calling thread's queue, if any.
void DropQuitRequest();

}  // namespace win32_test
