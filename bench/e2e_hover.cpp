// The hover path against its floor. picdock runs on a 1920 x 1080 virtual
// screen beside five pictures, each mostly one colour with some grain so
// that the encoders work and the pixels on screen tell which picture shows:
//   a.jpg  4000 x 3000 JPEG, red             shown 1440 x 1080
//   b.png  4000 x 3000 PNG, green            shown 1440 x 1080
//   c.png  64 x 64 PNG, magenta              the cost of any hover
//   d.gif  480 x 360, 100 frames, blue       shown at its own size
//   e.bmp  4000 x 3000 24-bit BMP, yellow    shown 1440 x 1080
// The pointer hovers the rows in turn, so every hover comes from another
// picture. A hover is timed from the XTest motion onto the row to the first
// look (every 250 us) at a patch of up to 32 x 32 in the middle of the
// preview that finds the picture's colour there. picdock's memory is read
// after each hover: RSS, and VmHWM started afresh before the hover (its
// peak).
//
// After each round of hovers, with the preview hidden, one sample of the
// floor of each picture (e2e_floor.h): read + decode + put. Hovers and
// floors take turns so that both meet the same load on the machine. The
// ratio is the median hover over the sum of the floor's medians.
//
// Two processor-time figures tell work from waiting: the floor's decode on
// its own thread, and picdock's UI thread from the motion to the pixels (a
// hover that takes longer than its floor while its UI thread spent no more
// than the floor's decode was waiting, not working).
//
//   bench_e2e_hover [--rounds=10] [--poll-us=250]
//   PICDOCK_BENCH_PERF=/tmp/hover.data bench_e2e_hover   (e2e_profiler.h)
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <thread>

#include "bench/e2e_figures.h"
#include "bench/e2e_floor.h"
#include "bench/e2e_process_stats.h"
#include "bench/e2e_profiler.h"
#include "bench/e2e_session.h"
#include "tests/fixtures/picture_writers.h"

namespace {

using namespace e2ebench;
using fixtures::Rgba;

constexpr int kScreenWidth = 1920, kScreenHeight = 1080;
constexpr int kTolerance = 40;  // grain, JPEG's loss and the shrinking stay well inside
constexpr double kMatching = 0.95;

// Grain of +-12 on each channel, the same for a given pixel every time.
int Grain(int x, int y, int salt = 0) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^
                    static_cast<std::uint32_t>(y) * 19349663u ^
                    static_cast<std::uint32_t>(salt) * 83492791u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return static_cast<int>(h % 25) - 12;
}

std::uint8_t Channel(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

fixtures::PixelSource Grainy(e2e::Rgb colour) {
  return [colour](int x, int y) {
    const int g = Grain(x, y);
    return Rgba{Channel(colour.r + g), Channel(colour.g + g), Channel(colour.b - g), 255};
  };
}

// 100 whole frames of grain in eight shades of `colour`, 40 ms each, looping.
ByteData GrainyGif(int width, int height, e2e::Rgb colour) {
  fixtures::GifPicture gif;
  gif.width = width;
  gif.height = height;
  for (int i = 0; i < 8; ++i)
    gif.palette.push_back({Channel(colour.r + 3 * i - 12), Channel(colour.g + 3 * i - 12),
                           Channel(colour.b - 3 * i + 12), 255});
  gif.loopCount = 0;
  for (int f = 0; f < 100; ++f) {
    fixtures::GifFrame frame;
    frame.width = width;
    frame.height = height;
    frame.delayCentiseconds = 4;
    frame.disposal = 1;
    frame.indices.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        frame.indices[static_cast<std::size_t>(y) * width + x] =
            static_cast<std::uint8_t>((Grain(x, y, f) + 12) % 8);
    gif.frames.push_back(std::move(frame));
  }
  return fixtures::WriteGif(gif);
}

struct Subject {
  std::string name;
  std::string description;
  e2e::Rgb colour;
  int width, height;  // stored size
};

struct Measured {
  e2e::Rect shown;  // where the preview shows the picture
  std::vector<double> hoverMs;
  // picdock's UI thread from the motion to the pixels: on a processor, and
  // ready to run but waiting for one (the machine's load).
  std::vector<double> uiCpuMs, uiQueuedMs;
  std::vector<long> rssKb, peakKb;
  FloorSamples floor;
  int missed = 0;
};

// The middle of list row `row` of a panel at `panelTop`: below the 20-pixel
// button, 18 pixels a row.
int RowMiddleY(int panelTop, int row) { return panelTop + 20 + 18 * row + 9; }

// As the hover handler places it: shrunk to the screen's height when
// taller, at left 110, centred on the screen less 30 pixels.
e2e::Rect ShownRect(int width, int height) {
  if (height > kScreenHeight) {
    width = static_cast<int>(std::trunc(static_cast<double>(width) / height * kScreenHeight));
    height = kScreenHeight;
  }
  return {110, e2e::CentredTop(kScreenHeight, height), width, height};
}

// Up to 32 x 32 pixels in the middle of the part of the preview that is on
// the screen.
e2e::Rect MiddlePatch(const e2e::Rect& shown) {
  const int top = std::max(shown.top, 0);
  const int middleY = top + (std::min(shown.top + shown.height, kScreenHeight) - top) / 2;
  const int width = std::min(shown.width, 32), height = std::min(shown.height, 32);
  return {shown.left + (shown.width - width) / 2, middleY - height / 2, width, height};
}

double Mb(long kb) { return static_cast<double>(kb) / 1024.0; }

ThreadTimes UiThreadTimes(pid_t pid) {
  for (const ThreadTimes& thread : ReadThreadTimes(pid))
    if (thread.tid == pid) return thread;
  return {};
}

std::string LoadAverage() {
  double one = 0;
  if (FILE* file = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(file, "%lf", &one) != 1) one = 0;
    std::fclose(file);
  }
  return Fixed(one, 2);
}

int Run(int argc, char** argv) {
  const int rounds = IntArgument(argc, argv, "--rounds", 10);
  const PollOptions poll{std::chrono::microseconds(IntArgument(argc, argv, "--poll-us", 250)),
                         std::chrono::milliseconds(10000)};

  // In the order the list shows them: by pattern (jpg, png, gif, bmp), then
  // by name. Row i is subjects[i].
  const std::vector<Subject> subjects = {
      {"a.jpg", "JPEG 4000x3000 (12 MP)", {200, 40, 40}, 4000, 3000},
      {"b.png", "PNG 4000x3000", {40, 180, 70}, 4000, 3000},
      {"c.png", "PNG 64x64 (the fixed costs)", {200, 60, 200}, 64, 64},
      {"d.gif", "GIF 480x360, 100 frames", {50, 70, 220}, 480, 360},
      {"e.bmp", "BMP 4000x3000, 24-bit", {230, 210, 40}, 4000, 3000},
  };
  std::vector<e2e::PictureFile> files;
  files.push_back({"a.jpg", fixtures::WriteJpeg(4000, 3000, Grainy(subjects[0].colour), 90)});
  files.push_back({"b.png", fixtures::WritePng(4000, 3000, Grainy(subjects[1].colour))});
  files.push_back({"c.png", fixtures::WritePng(64, 64, Grainy(subjects[2].colour))});
  files.push_back({"d.gif", GrainyGif(480, 360, subjects[3].colour)});
  files.push_back({"e.bmp", fixtures::WriteBmp(4000, 3000, Grainy(subjects[4].colour))});
  std::vector<Measured> measured(subjects.size());
  for (std::size_t i = 0; i < subjects.size(); ++i)
    measured[i].shown = ShownRect(subjects[i].width, subjects[i].height);

  ProgramSession session(files, {kScreenWidth, kScreenHeight});
  ScreenProbe& probe = session.Probe();
  const pid_t pid = session.Pid();
  const int panelTop = session.Panel().rect.top;
  const auto startMemory = ReadMemory(pid);
  const std::string loadBefore = LoadAverage();

  FILE* hoverLog = nullptr;  // see the profiler below
  auto hover = [&](int row, bool record) {
    Measured& result = measured[row];
    const bool peakReset = ResetPeakMemory(pid);
    const ThreadTimes uiBefore = UiThreadTimes(pid);
    const auto start = Clock::now();
    probe.MovePointer(40, RowMiddleY(panelTop, row));
    const e2e::Rect patch = MiddlePatch(result.shown);
    auto took = MillisecondsUntil(
        start, [&] { return probe.Matching(patch, subjects[row].colour, kTolerance) >= kMatching; },
        poll);
    const ThreadTimes uiAfter = UiThreadTimes(pid);
    // The preview's repaint after its map, and the file's bytes let go.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    if (!record) return;
    if (!took) {
      ++result.missed;
      return;
    }
    result.hoverMs.push_back(*took);
    result.uiCpuMs.push_back(uiAfter.runMs - uiBefore.runMs);
    result.uiQueuedMs.push_back(uiAfter.queuedMs - uiBefore.queuedMs);
    if (hoverLog) {
      const double from = std::chrono::duration<double>(start.time_since_epoch()).count();
      std::fprintf(hoverLog, "%s %.6f %.6f\n", subjects[row].name.c_str(), from,
                   from + *took / 1e3);
    }
    if (auto memory = ReadMemory(pid)) {
      result.rssKb.push_back(memory->rssKb);
      if (peakReset) result.peakKb.push_back(memory->peakKb);
    }
  };
  // Hovers and floors take turns, so that both meet the same load on the
  // machine. For the floors the pointer goes away: the panel tucks, the
  // preview hides, and the floor's own window takes the preview's place.
  // When perf records, each hover's stretch of the recording goes to
  // <output>.hovers as "name start end" in CLOCK_MONOTONIC seconds, for
  // bench/e2e_hover_profile.py.
  std::optional<Profiler> profiler;
  for (int round = -1; round < rounds; ++round) {
    if (round == 0) {
      profiler.emplace(pid);
      if (profiler->Recording())
        hoverLog = std::fopen((profiler->Output() + ".hovers").c_str(), "w");
    }
    const bool record = round >= 0;  // the first round warms up
    session.PointerTo(1, panelTop + 5, 0);
    for (int row = 0; row < static_cast<int>(subjects.size()); ++row) hover(row, record);
    session.PointerTo(kScreenWidth - 100, session.MiddleY(), 3 - 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    if (!record) continue;
    for (std::size_t i = 0; i < subjects.size(); ++i)
      SampleFloor(session.Server().DisplayName(),
                  session.Program().Folder() + "/" + subjects[i].name, measured[i].shown,
                  measured[i].floor);
  }
  if (hoverLog) std::fclose(hoverLog);
  profiler.reset();
  const auto endMemory = ReadMemory(pid);

  std::printf(
      "hover path vs floor: picdock on Xvfb %dx%d; %d hovers per picture, the preview "
      "looked at every %lld us; load average %s before, %s after\n\n",
      kScreenWidth, kScreenHeight, rounds, static_cast<long long>(poll.interval.count()),
      loadBefore.c_str(), LoadAverage().c_str());
  Table hovers({"hover (ms from XTest motion)", "file MB", "shown", "n", "min", "median", "p90",
                "max", "RSS after MB", "peak MB"});
  for (std::size_t i = 0; i < subjects.size(); ++i) {
    const Measured& result = measured[i];
    std::vector<std::string> cells{
        subjects[i].description, Fixed(static_cast<double>(files[i].bytes.size()) / (1 << 20)),
        std::to_string(result.shown.width) + "x" + std::to_string(result.shown.height),
        std::to_string(result.hoverMs.size())};
    for (auto& cell : SpreadCells(SpreadOf(result.hoverMs))) cells.push_back(cell);
    std::vector<double> rss(result.rssKb.begin(), result.rssKb.end());
    std::vector<double> peak(result.peakKb.begin(), result.peakKb.end());
    cells.push_back(rss.empty() ? "-" : Fixed(Mb(static_cast<long>(Median(rss)))));
    cells.push_back(peak.empty() ? "-" : Fixed(Mb(static_cast<long>(SpreadOf(peak).max))));
    hovers.Row(cells);
  }
  hovers.Print();

  std::printf("\n");
  Table ratio({"median ms", "read", "decode", "shm put", "floor", "hover", "hover/floor",
               "decode cpu", "UI cpu", "UI queued", "XPutImage"});
  for (std::size_t i = 0; i < subjects.size(); ++i) {
    const Floor floor = MedianFloor(measured[i].floor);
    const double hoverMs = Median(measured[i].hoverMs);
    ratio.Row({subjects[i].description, Fixed(floor.readMs), Fixed(floor.decodeMs),
               Fixed(floor.shmPutMs), Fixed(floor.Sum()), Fixed(hoverMs),
               Fixed(hoverMs / floor.Sum(), 2) + "x", Fixed(floor.decodeCpuMs),
               Fixed(Median(measured[i].uiCpuMs)), Fixed(Median(measured[i].uiQueuedMs)),
               Fixed(floor.plainPutMs)});
  }
  ratio.Print();

  if (startMemory && endMemory)
    std::printf(
        "\npicdock memory: RSS %.1f MB after start-up, %.1f MB after the hovers; "
        "VmHWM %.1f MB at start-up\n",
        Mb(startMemory->rssKb), Mb(endMemory->rssKb), Mb(startMemory->peakKb));
  int missed = 0;
  for (const Measured& result : measured) missed += result.missed;
  if (missed) std::printf("%d hovers never showed their picture within 10 s\n", missed);
  return missed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  return e2ebench::RunBenchmark([&] { return Run(argc, argv); });
}
