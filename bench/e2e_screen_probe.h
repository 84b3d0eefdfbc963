// A connection of the benchmark's own to the virtual screen, for watching
// the program closely: one round trip per look, so that a look every few
// hundred microseconds costs the server little and the program nothing.
// The harness's window lookup walks the whole window tree and is too slow
// to time anything with.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "tests/e2e/harness.h"

namespace e2ebench {

using Clock = std::chrono::steady_clock;

class ScreenProbe {
 public:
  explicit ScreenProbe(const std::string& displayName);
  ~ScreenProbe();
  ScreenProbe(const ScreenProbe&) = delete;
  ScreenProbe& operator=(const ScreenProbe&) = delete;

  // Where a top-level window stands, as the server has it now; nullopt when
  // it has gone. Override-redirect windows are children of the root, so
  // their position is in screen pixels.
  std::optional<e2e::Rect> Geometry(unsigned long window);
  // The pointer moved through XTest; returns once the server has taken it.
  void MovePointer(int x, int y);
  // The share (0..1) of the pixels in `area` (clipped to the screen) that
  // are within `tolerance` of `colour` on every channel.
  double Matching(e2e::Rect area, e2e::Rgb colour, int tolerance);

 private:
  struct Connection;
  std::unique_ptr<Connection> connection_;
};

struct PollOptions {
  std::chrono::microseconds interval{250};
  std::chrono::milliseconds timeout{10000};
};

// Looks at `reached` from `start` on until it holds. The milliseconds from
// `start` to the end of the look that first saw it, or nullopt at the
// deadline. Between looks the benchmark sleeps, leaving the processor to
// the program and the server.
std::optional<double> MillisecondsUntil(Clock::time_point start,
                                        const std::function<bool()>& reached,
                                        PollOptions options = {});

}  // namespace e2ebench
