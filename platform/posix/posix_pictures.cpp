// Measuring pictures on POSIX systems: the stored width and height read from
// the header by the picture libraries, from a file or from bytes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <iconv.h>

#include <cerrno>

#include <optional>
#include <string>

#include "platform/image/picture.h"
#include "platform/system.h"

namespace platform {

namespace {

// A header needs a few kilobytes; the ceiling only stops a hostile file from
// keeping a probe busy (a PNG's chunks before its image data are read, not
// skipped).
constexpr std::uint64_t kMaxProbeBytes = 64u << 20;

class FileReader final : public image::ByteReader {
 public:
  explicit FileReader(int descriptor) : descriptor_(descriptor) {}

  std::size_t Read(std::uint8_t* out, std::size_t size) override {
    std::size_t done = 0;
    while (done < size && consumed_ < kMaxProbeBytes) {
      const ssize_t count = ::read(descriptor_, out + done, size - done);
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) break;
      done += static_cast<std::size_t>(count);
      consumed_ += static_cast<std::uint64_t>(count);
    }
    return done;
  }

  bool Skip(std::uint64_t count) override {
    const off_t here = ::lseek(descriptor_, 0, SEEK_CUR);
    const off_t end = ::lseek(descriptor_, 0, SEEK_END);
    if (here < 0 || end < 0) return false;
    const bool inside = count <= static_cast<std::uint64_t>(end - here);
    ::lseek(descriptor_, inside ? here + static_cast<off_t>(count) : end, SEEK_SET);
    return inside;
  }

 private:
  int descriptor_;
  std::uint64_t consumed_ = 0;
};

// UTF-16LE with its zero unit, as the probe gets it, to the UTF-8 of the
// file system. Empty when the name is empty or holds an unpaired surrogate.
std::string Utf8Name(const ByteData& wideName) {
  std::size_t units = 0;
  while (units * 2 + 1 < wideName.size() && (wideName[units * 2] | wideName[units * 2 + 1]) != 0) {
    ++units;
  }
  if (units == 0) return {};
  iconv_t converter = iconv_open("UTF-8", "UTF-16LE");
  if (converter == reinterpret_cast<iconv_t>(-1)) return {};
  std::string name(units * 3, '\0');  // a unit never needs more than 3 bytes
  char* in = reinterpret_cast<char*>(const_cast<std::uint8_t*>(wideName.data()));
  std::size_t inLeft = units * 2;
  char* out = name.data();
  std::size_t outLeft = name.size();
  const bool converted = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(converter);
  if (!converted) return {};
  name.resize(name.size() - outLeft);
  return name;
}

int Pick(const std::optional<image::PictureInfo>& info, Dimension which) {
  if (!info) return 0;
  return which == Dimension::Width ? info->width : info->height;
}

}  // namespace

int MeasurePictureFile(const ByteData& wideName, Dimension which) {
  const std::string name = Utf8Name(wideName);
  if (name.empty()) return 0;
  // Non-blocking, so a FIFO with no writer can't hang the probe; only a
  // regular file is read.
  const int descriptor = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return 0;
  struct stat status {};
  int result = 0;
  if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
    FileReader reader(descriptor);
    result = Pick(image::ProbePicture(reader), which);
  }
  ::close(descriptor);
  return result;
}

int MeasurePictureBytes(const ByteData& bytes, Dimension which) {
  return Pick(image::ProbePicture(bytes), which);
}

}  // namespace platform
