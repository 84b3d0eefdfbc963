#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
      if (got <= 0) break;
      done += static_cast<size_t>(got);
    }
    bytes.resize(done);
  }
  close(fd);
  return bytes;
}

}  // namespace platform::posix
