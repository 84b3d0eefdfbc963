#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/posix/program.h"

namespace platform::posix {

ByteData ReadFileBounded(const Text& name) {
  int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};
  ByteData bytes;
  struct stat info;
  // Only regular files: a FIFO or a device named like a picture would block
  // or never end.
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxReadBytes) {
    // Read through a small buffer into reserved room: sizing the block first
    // would write every byte twice, zeros then the file.
    bytes.reserve(static_cast<size_t>(info.st_size));
    constexpr size_t kChunk = 256 * 1024;
    auto chunk = std::make_unique<std::uint8_t[]>(kChunk);
    for (;;) {
      ssize_t got = read(fd, chunk.get(), kChunk);
      if (got <= 0 || bytes.size() + static_cast<size_t>(got) > static_cast<size_t>(kMaxReadBytes))
        break;
      bytes.insert(bytes.end(), chunk.get(), chunk.get() + got);
    }
  }
  close(fd);
  return bytes;
}

}  // namespace platform::posix
