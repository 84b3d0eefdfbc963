// A build-time tool, compiled for the machine that builds: writes the
// program's icon, drawn by the same routine as on every other system, as a
// Windows .ico file with one 128 by 128 image in 32-bit colour with alpha.
//   make_icon_file OUTPUT.ico
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/program_icon.h"

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(value & 0xFF);
  out.push_back((value >> 8) & 0xFF);
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

std::vector<std::uint8_t> IconFile(const std::vector<std::uint32_t>& argb, int size) {
  const int maskStride = ((size + 31) / 32) * 4;  // 1 bit a pixel, rows of whole 32-bit words
  const std::uint32_t pixelBytes = static_cast<std::uint32_t>(size * size * 4);
  const std::uint32_t maskBytes = static_cast<std::uint32_t>(maskStride * size);
  const std::uint32_t imageBytes = 40 + pixelBytes + maskBytes;
  std::vector<std::uint8_t> out;
  // The directory: one icon image.
  Put16(out, 0);
  Put16(out, 1);  // icon
  Put16(out, 1);  // one image
  out.push_back(static_cast<std::uint8_t>(size == 256 ? 0 : size));
  out.push_back(static_cast<std::uint8_t>(size == 256 ? 0 : size));
  out.push_back(0);  // no palette
  out.push_back(0);
  Put16(out, 1);   // planes
  Put16(out, 32);  // bits a pixel
  Put32(out, imageBytes);
  Put32(out, 22);  // the image follows the directory
  // The image: a BITMAPINFOHEADER whose height counts the colour rows and
  // the mask rows together, then both, bottom row first.
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(size));
  Put32(out, static_cast<std::uint32_t>(size * 2));
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 0);  // BI_RGB
  Put32(out, pixelBytes + maskBytes);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  for (int row = size - 1; row >= 0; --row) {
    for (int column = 0; column < size; ++column) Put32(out, argb[row * size + column]);
  }
  // The mask, for systems that ignore alpha: set where a pixel is fully
  // transparent.
  for (int row = size - 1; row >= 0; --row) {
    std::vector<std::uint8_t> bits(maskStride, 0);
    for (int column = 0; column < size; ++column) {
      if ((argb[row * size + column] >> 24) == 0) bits[column / 8] |= 0x80 >> (column % 8);
    }
    out.insert(out.end(), bits.begin(), bits.end());
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icon_file OUTPUT.ico\n");
    return 2;
  }
  std::vector<std::uint32_t> pixels = platform::DrawProgramIcon();
  const int size = platform::kProgramIconSize;
  if (pixels.size() != static_cast<std::size_t>(size * size)) {
    std::fprintf(stderr, "make_icon_file: the icon is not %dx%d\n", size, size);
    return 1;
  }
  std::vector<std::uint8_t> file = IconFile(pixels, size);
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size() ||
      std::fclose(out) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
