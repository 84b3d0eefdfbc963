// Writes the fuzzers' seed corpus: one tiny picture of each format and
// variant the decoders tell apart, so fuzzing starts past the signatures.
//   picdock_seed_pictures <folder>
#include <cstdio>
#include <string>

#include "tests/fixtures/picture_writers.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  using namespace fixtures;
  const std::string folder = argv[1];
  const PixelSource gradient = [](int x, int y) {
    return Rgba{static_cast<std::uint8_t>(x * 30), static_cast<std::uint8_t>(y * 30), 90,
                static_cast<std::uint8_t>(255 - x * 20)};
  };
  const PixelSource fewColours = [](int x, int y) {
    return Rgba{static_cast<std::uint8_t>(x / 3 * 80), static_cast<std::uint8_t>(y % 2 * 200), 0};
  };
  GifPicture gif{.width = 9, .height = 7, .palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                 .frames = {}};
  gif.loopCount = 0;
  for (int i = 0; i < 3; ++i) {
    gif.frames.push_back({.left = i, .top = i, .width = 5, .height = 4,
                          .indices = ByteData(20, static_cast<std::uint8_t>(i)),
                          .delayCentiseconds = 5, .disposal = i + 1, .transparentIndex = 1,
                          .interlaced = i == 2});
  }
  const struct {
    const char* name;
    ByteData bytes;
  } seeds[] = {
      {"rgb.png", WritePng(7, 5, gradient)},
      {"rgba.png", WritePng(7, 5, gradient, true)},
      {"adam7.png", WritePng(9, 9, gradient, true, true)},
      {"baseline.jpg", WriteJpeg(16, 8, gradient)},
      {"progressive.jpg", WriteJpeg(16, 8, gradient, 75, true)},
      {"animated.gif", WriteGif(gif)},
      {"solid.gif", WriteSolidGif(4, 4, {1, 2, 3})},
      {"24.bmp", WriteBmp(5, 3, gradient)},
      {"top-down.bmp", WriteBmp(5, 3, gradient, {.topDown = true})},
      {"1.bmp", WriteBmp(9, 3, [](int x, int) { return x % 2 ? Rgba{} : Rgba{255, 255, 255}; }, {.bitsPerPixel = 1})},
      {"rle8.bmp", WriteBmp(9, 4, fewColours, {.bitsPerPixel = 8, .compression = BmpCompression::Rle})},
      {"rle4.bmp", WriteBmp(9, 4, fewColours, {.bitsPerPixel = 4, .compression = BmpCompression::Rle})},
      {"565.bmp", WriteBmp(5, 3, gradient, {.bitsPerPixel = 16, .compression = BmpCompression::BitFields})},
      {"bgra.bmp", WriteBmp(5, 3, gradient, {.bitsPerPixel = 32, .compression = BmpCompression::BitFields})},
  };
  for (const auto& seed : seeds) WriteFileBytes(folder + "/" + seed.name, seed.bytes);
  return 0;
}
