// Writes a few sample pictures into a folder, one of each format the viewer
// shows, so that a fresh build has something to list: a JPEG, a PNG taller
// than a full-HD screen (shown shrunk), an animated GIF and a BMP.
//
//   make_samples FOLDER
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>

#include "tests/fixtures/picture_writers.h"

namespace {

using fixtures::Rgba;

std::uint8_t Channel(double value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
}

// A sky over a sea, with a sun.
Rgba Harbour(int x, int y) {
  constexpr int kWidth = 480, kHeight = 320, kHorizon = 190;
  double sun = std::hypot(x - 0.7 * kWidth, y - 0.45 * kHeight);
  if (sun < 28) return {250, 220, 120};
  double t = static_cast<double>(y) / kHeight;
  if (y < kHorizon) return {Channel(240 - 120 * t), Channel(150 + 40 * t), Channel(120 + 120 * t)};
  double wave = 12 * std::sin(x / 9.0 + y / 3.0);
  return {Channel(20 + wave), Channel(70 + 60 * t + wave), Channel(130 + 40 * t + wave)};
}

// Stacked bands of colour on a tall canvas.
Rgba Tower(int x, int y) {
  double hue = y / 1500.0 * 6.283;
  bool window = (x / 30) % 2 == 1 && (y / 40) % 2 == 1;
  if (window) return {250, 240, 200};
  return {Channel(128 + 100 * std::sin(hue)), Channel(128 + 100 * std::sin(hue + 2.1)),
          Channel(128 + 100 * std::sin(hue + 4.2))};
}

Rgba Tiles(int x, int y) {
  return ((x / 25) + (y / 25)) % 2 ? Rgba{230, 230, 220} : Rgba{60, 90, 160};
}

// A bar turning in eight steps, looping forever.
fixtures::GifPicture Spinner() {
  constexpr int kSize = 96, kSteps = 8;
  fixtures::GifPicture gif;
  gif.width = gif.height = kSize;
  gif.palette = {{20, 20, 30}, {240, 180, 40}};
  gif.loopCount = 0;
  for (int step = 0; step < kSteps; ++step) {
    double angle = step * 3.14159265 / kSteps;
    fixtures::GifFrame frame{0, 0, kSize, kSize, {}, 12, 1, -1};
    frame.indices.resize(kSize * kSize);
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        double dx = x - kSize / 2.0, dy = y - kSize / 2.0;
        double along = dx * std::cos(angle) + dy * std::sin(angle);
        double across = -dx * std::sin(angle) + dy * std::cos(angle);
        frame.indices[y * kSize + x] = std::abs(along) < 40 && std::abs(across) < 7 ? 1 : 0;
      }
    }
    gif.frames.push_back(std::move(frame));
  }
  return gif;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  try {
    fixtures::WriteFileBytes(folder + "harbour.jpg", fixtures::WriteJpeg(480, 320, Harbour, 90));
    fixtures::WriteFileBytes(folder + "tower.png", fixtures::WritePng(300, 1500, Tower));
    fixtures::WriteFileBytes(folder + "spinner.gif", fixtures::WriteGif(Spinner()));
    fixtures::WriteFileBytes(folder + "tiles.bmp", fixtures::WriteBmp(200, 200, Tiles));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_samples: %s\n", error.what());
    return 1;
  }
  return 0;
}
