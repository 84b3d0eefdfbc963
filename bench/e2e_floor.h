// The floor under a hover: what showing one picture file must cost at the
// least, measured in the benchmark's own process, each step alone:
//   read:   the whole file (ReadFileBounded, as the program reads it);
//   decode: OpenPicture + RenderFrame at the size the preview shows it;
//   put:    that frame into a window of that size on the same X server,
//           through XShmPutImage from a segment already attached and
//           filled, then XSync (XPutImage from the frame's own memory is
//           measured too, for comparison).
// The file is in the page cache, as it is when the program reads it.
#pragma once

#include <string>
#include <vector>

#include "tests/e2e/harness.h"

namespace e2ebench {

// Milliseconds, one entry per sample.
struct FloorSamples {
  std::vector<double> read;
  std::vector<double> decode;
  std::vector<double> decodeCpu;  // the decoding thread's processor time
  std::vector<double> shmPut;
  std::vector<double> plainPut;
};

struct Floor {
  double readMs = 0, decodeMs = 0, decodeCpuMs = 0, shmPutMs = 0, plainPutMs = 0;
  double Sum() const { return readMs + decodeMs + shmPutMs; }
};
// The median of each step.
Floor MedianFloor(const FloorSamples& samples);

// Adds one sample of each step to `samples`. `shown` is where the preview
// stands and the size it shows the picture at; the put goes to a window of
// the benchmark's own at the same place, so the program's windows must
// leave that area free.
void SampleFloor(const std::string& displayName, const std::string& path, e2e::Rect shown,
                 FloorSamples& samples);

}  // namespace e2ebench
