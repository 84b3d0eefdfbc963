// A picture in a frame: a rounded card with a sky, a sun and two hills, in
// the reds of the exit button.
#include "platform/program_icon.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

struct Colour {
  double r, g, b, a;
};

Colour Over(Colour top, Colour under) {
  double a = top.a + under.a * (1 - top.a);
  if (a <= 0) return {0, 0, 0, 0};
  auto mix = [&](double t, double u) { return (t * top.a + u * under.a * (1 - top.a)) / a; };
  return {mix(top.r, under.r), mix(top.g, under.g), mix(top.b, under.b), a};
}

// Coverage of a pixel by a shape whose signed distance is d (negative
// inside): a one-pixel ramp keeps the edges smooth.
double Coverage(double d) { return std::clamp(0.5 - d, 0.0, 1.0); }

double RoundedBox(double x, double y, double left, double top, double right, double bottom,
                  double radius) {
  double cx = std::clamp(x, left + radius, right - radius);
  double cy = std::clamp(y, top + radius, bottom - radius);
  return std::hypot(x - cx, y - cy) - radius;
}

}  // namespace

std::vector<std::uint32_t> DrawProgramIcon() {
  const int n = kProgramIconSize;
  std::vector<std::uint32_t> pixels(n * n);
  const Colour frame{177 / 255.0, 0, 0, 1};
  const Colour sun{1.0, 0.85, 0.3, 1};
  const Colour farHill{0.35, 0.6, 0.3, 1};
  const Colour nearHill{0.2, 0.45, 0.2, 1};
  for (int row = 0; row < n; ++row) {
    for (int column = 0; column < n; ++column) {
      double x = column + 0.5, y = row + 0.5;
      Colour c{0, 0, 0, 0};
      c = Over({frame.r, frame.g, frame.b, Coverage(RoundedBox(x, y, 4, 4, 124, 124, 18))}, c);
      double inner = Coverage(RoundedBox(x, y, 16, 16, 112, 112, 8));
      if (inner > 0) {
        double t = (y - 16) / 96;
        Colour picture{0.45 + 0.35 * t, 0.7 + 0.2 * t, 1.0, 1};
        picture = Over({sun.r, sun.g, sun.b, Coverage(std::hypot(x - 84, y - 40) - 12)}, picture);
        double far = 78 + 14 * std::cos((x - 30) / 18);
        picture = Over({farHill.r, farHill.g, farHill.b, Coverage(far - y)}, picture);
        double near = 92 + 10 * std::sin((x - 10) / 22);
        picture = Over({nearHill.r, nearHill.g, nearHill.b, Coverage(near - y)}, picture);
        picture.a = inner;
        c = Over(picture, c);
      }
      auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
      pixels[row * n + column] = byte(c.a) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
    }
  }
  return pixels;
}

}  // namespace platform
