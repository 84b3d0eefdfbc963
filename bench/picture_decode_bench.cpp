// What showing a picture costs at the size it is shown: the decode floor of
// the picture box for a 12-megapixel JPEG, a 4000 x 3000 PNG and BMP, and a
// 100-frame GIF, with the peak memory each decode takes.
//
// Peak memory is counted by wrapping malloc for the whole process (the
// picture libraries allocate with malloc, our buffers with operator new,
// which ends in malloc): the figure is the largest amount live during one
// render beyond what was live before it.
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <random>

#include <benchmark/benchmark.h>

#include "platform/image/picture.h"
#include "tests/fixtures/picture_writers.h"

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);
}

namespace {

std::atomic<std::int64_t> liveBytes{0};
std::atomic<std::int64_t> peakBytes{0};

void Allocated(void* block) {
  if (!block) return;
  const auto now = liveBytes.fetch_add(static_cast<std::int64_t>(malloc_usable_size(block))) +
                   static_cast<std::int64_t>(malloc_usable_size(block));
  auto peak = peakBytes.load();
  while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
  }
}

void Releasing(void* block) {
  if (block) liveBytes.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(block)));
}

}  // namespace

extern "C" {
void* malloc(std::size_t size) {
  void* block = __libc_malloc(size);
  Allocated(block);
  return block;
}
void* calloc(std::size_t count, std::size_t size) {
  void* block = __libc_calloc(count, size);
  Allocated(block);
  return block;
}
void* realloc(void* old, std::size_t size) {
  Releasing(old);
  void* block = __libc_realloc(old, size);
  Allocated(block ? block : old);
  return block;
}
void* memalign(std::size_t alignment, std::size_t size) {
  void* block = __libc_memalign(alignment, size);
  Allocated(block);
  return block;
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
  *out = __libc_memalign(alignment, size);
  Allocated(*out);
  return *out ? 0 : ENOMEM;
}
void* aligned_alloc(std::size_t alignment, std::size_t size) { return memalign(alignment, size); }
void free(void* block) {
  Releasing(block);
  __libc_free(block);
}
}

namespace {

using platform::image::OpenPicture;
using platform::image::PictureDecoder;

constexpr platform::Rgb kBackground{240, 240, 240};

// A photograph stand-in: smooth gradients with grain, so the encoders work
// about as hard as on a real picture.
const fixtures::PixelSource kPhoto = [](int x, int y) {
  static thread_local std::minstd_rand grain(1);
  const int noise = static_cast<int>(grain() % 24);
  return fixtures::Rgba{static_cast<std::uint8_t>((x / 16 + noise) & 0xFF),
                        static_cast<std::uint8_t>((y / 12 + noise) & 0xFF),
                        static_cast<std::uint8_t>(((x + y) / 28 + noise) & 0xFF)};
};

const ByteData& Jpeg12Mp() {
  static const ByteData bytes = fixtures::WriteJpeg(4000, 3000, kPhoto, 90);
  return bytes;
}
const ByteData& Png4000() {
  static const ByteData bytes = fixtures::WritePng(4000, 3000, kPhoto);
  return bytes;
}
const ByteData& Bmp4000() {
  static const ByteData bytes = fixtures::WriteBmp(4000, 3000, kPhoto);
  return bytes;
}
// 100 frames on a 480 x 360 screen: a full first frame, then a 120 x 90
// square that moves and clears itself, with a transparent hole.
const ByteData& Gif100() {
  static const ByteData bytes = [] {
    fixtures::GifPicture gif{.width = 480, .height = 360, .palette = {}, .frames = {}};
    for (int i = 0; i < 256; ++i) {
      gif.palette.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                             static_cast<std::uint8_t>(i * 7)});
    }
    gif.loopCount = 0;
    std::minstd_rand random(3);
    for (int i = 0; i < 100; ++i) {
      fixtures::GifFrame frame;
      const bool first = i == 0;
      frame.width = first ? 480 : 120;
      frame.height = first ? 360 : 90;
      frame.left = first ? 0 : (i * 37) % 360;
      frame.top = first ? 0 : (i * 23) % 270;
      for (int p = 0; p < frame.width * frame.height; ++p) {
        frame.indices.push_back(static_cast<std::uint8_t>((p / 7 + i + random() % 3) % 255));
      }
      frame.delayCentiseconds = 4;
      frame.disposal = first ? 1 : 2;
      frame.transparentIndex = 255;
      gif.frames.push_back(std::move(frame));
    }
    return fixtures::WriteGif(gif);
  }();
  return bytes;
}

// Renders the picture at the size the hover preview gives it on a screen of
// `state.range(0)` pixels high: shrunk to that height, width in proportion.
void RenderStill(benchmark::State& state, const ByteData& bytes) {
  const int screenHeight = static_cast<int>(state.range(0));
  std::int64_t peak = 0;
  for (auto _ : state) {
    const std::int64_t before = liveBytes.load();
    peakBytes.store(before);
    const auto decoder = OpenPicture(bytes, kBackground);
    const int height = std::min(decoder->Info().height, screenHeight);
    const int width = static_cast<int>(static_cast<double>(decoder->Info().width) /
                                       decoder->Info().height * height);
    auto frame = decoder->RenderFrame(0, width, height);
    if (!frame) state.SkipWithError("render failed");
    benchmark::DoNotOptimize(frame->pixels.data());
    // The file's copy inside the decoder is what the picture box keeps;
    // count only what decoding adds to it and to the frame it gives.
    peak = std::max(peak, peakBytes.load() - before - static_cast<std::int64_t>(bytes.size()));
  }
  state.counters["peak_MB"] = static_cast<double>(peak) / (1 << 20);
  state.counters["file_MB"] = static_cast<double>(bytes.size()) / (1 << 20);
}

void BM_Jpeg12Megapixels(benchmark::State& state) { RenderStill(state, Jpeg12Mp()); }
void BM_Png4000x3000(benchmark::State& state) { RenderStill(state, Png4000()); }
void BM_Bmp4000x3000(benchmark::State& state) { RenderStill(state, Bmp4000()); }

// Plays the whole animation once at its own size; the time per frame is
// what each tick of the player costs.
void BM_Gif100Frames(benchmark::State& state) {
  std::int64_t peak = 0;
  for (auto _ : state) {
    const std::int64_t before = liveBytes.load();
    peakBytes.store(before);
    const auto decoder = OpenPicture(Gif100(), kBackground);
    for (int i = 0; i < decoder->FrameCount(); ++i) {
      auto frame = decoder->RenderFrame(i, 480, 360);
      if (!frame) state.SkipWithError("render failed");
      benchmark::DoNotOptimize(frame->pixels.data());
    }
    peak = std::max(peak, peakBytes.load() - before - static_cast<std::int64_t>(Gif100().size()));
  }
  state.counters["frames"] = 100;
  state.counters["per_frame"] = benchmark::Counter(
      100, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["peak_MB"] = static_cast<double>(peak) / (1 << 20);
}

}  // namespace

BENCHMARK(BM_Jpeg12Megapixels)->Arg(1080)->Arg(600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Png4000x3000)->Arg(1080)->Arg(600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bmp4000x3000)->Arg(1080)->Arg(600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gif100Frames)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
