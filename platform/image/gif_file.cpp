#include "platform/image/gif_file.h"

namespace platform::image {

namespace {

int ReadBytes(GifFileType* gif, GifByteType* out, int size) {
  if (size <= 0) return 0;
  auto* reader = static_cast<ByteReader*>(gif->UserData);
  return static_cast<int>(reader->Read(out, static_cast<std::size_t>(size)));
}

}  // namespace

void GifCloser::operator()(GifFileType* gif) const {
  int ignored = 0;
  DGifCloseFile(gif, &ignored);
}

GifFile OpenGifFile(ByteReader& reader) {
  int error = 0;
  return GifFile(DGifOpen(&reader, ReadBytes, &error));
}

bool SkipImageData(GifFileType* gif) {
  int codeSize = 0;
  GifByteType* block = nullptr;
  if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR) return false;
  while (block) {
    if (DGifGetCodeNext(gif, &block) == GIF_ERROR) return false;
  }
  return true;
}

}  // namespace platform::image
