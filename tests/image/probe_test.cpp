#include <gtest/gtest.h>

#include "platform/image/picture.h"
#include "tests/fixtures/picture_writers.h"

namespace {

using platform::image::ByteReader;
using platform::image::PictureFormat;
using platform::image::PictureInfo;
using platform::image::ProbePicture;
using platform::image::SpanReader;

const fixtures::PixelSource kGrey = fixtures::Solid({90, 90, 90});

// Counts what a probe takes from a file, to show that measuring reads the
// header and not the picture.
class CountingReader final : public ByteReader {
 public:
  explicit CountingReader(const ByteData& bytes) : inner_(bytes) {}
  std::size_t Read(std::uint8_t* out, std::size_t size) override {
    const std::size_t count = inner_.Read(out, size);
    read += count;
    return count;
  }
  bool Skip(std::uint64_t count) override { return inner_.Skip(count); }
  std::size_t read = 0;

 private:
  SpanReader inner_;
};

struct ProbeCase {
  const char* name;
  ByteData bytes;
  PictureInfo expected;
};

TEST(ProbePicture, ReadsTheStoredSizeOfEachFormat) {
  fixtures::GifPicture gif;
  gif.width = 40;
  gif.height = 30;
  gif.palette = {{0, 0, 0}, {255, 255, 255}};
  gif.frames.push_back({.left = 3, .top = 4, .width = 5, .height = 6, .indices = ByteData(30, 1)});
  const ProbeCase cases[] = {
      {"png", fixtures::WritePng(37, 23, kGrey), {PictureFormat::Png, 37, 23}},
      {"png with alpha, interlaced", fixtures::WritePng(5, 600, kGrey, true, true), {PictureFormat::Png, 5, 600}},
      {"jpeg", fixtures::WriteJpeg(37, 23, kGrey), {PictureFormat::Jpeg, 37, 23}},
      {"progressive jpeg", fixtures::WriteJpeg(300, 2, kGrey, 80, true), {PictureFormat::Jpeg, 300, 2}},
      {"gif: the logical screen, not the frame", fixtures::WriteGif(gif), {PictureFormat::Gif, 40, 30}},
      {"bmp", fixtures::WriteBmp(37, 23, kGrey), {PictureFormat::Bmp, 37, 23}},
      {"top-down bmp", fixtures::WriteBmp(37, 23, kGrey, {.topDown = true}), {PictureFormat::Bmp, 37, 23}},
  };
  for (const ProbeCase& c : cases) {
    EXPECT_EQ(ProbePicture(c.bytes), c.expected) << c.name;
  }
}

TEST(ProbePicture, RefusesWhatIsNoPicture) {
  const ByteData png = fixtures::WritePng(4, 4, kGrey);
  const ByteData cases[] = {
      {},
      ByteData{'B', 'M'},
      ByteData(png.begin(), png.begin() + 20),  // signature and half an IHDR
      ByteData{'h', 'e', 'l', 'l', 'o', '.', 'p', 'n', 'g'},
      ByteData{0xFF, 0xD8, 0xFF, 0xD9},
      ByteData{'G', 'I', 'F', '8', '9', 'a', 0, 0},
  };
  for (const ByteData& bytes : cases) {
    EXPECT_EQ(ProbePicture(bytes), std::nullopt) << bytes.size() << " bytes";
  }
}

TEST(ProbePicture, RefusesSidesBeyondTheLimit) {
  platform::image::PictureLimits limits;
  limits.maxSourceSide = 100;
  EXPECT_TRUE(ProbePicture(fixtures::WritePng(100, 3, kGrey), limits));
  EXPECT_FALSE(ProbePicture(fixtures::WritePng(101, 3, kGrey), limits));
  EXPECT_FALSE(ProbePicture(fixtures::WriteBmp(3, 101, kGrey), limits));
}

TEST(ProbePicture, ReadsOnlyTheHeaderOfALargeFile) {
  // Noise keeps the PNG from compressing to nothing: most of a megabyte.
  const ByteData png = fixtures::WritePng(1000, 1000, [](int x, int y) {
    return fixtures::Rgba{static_cast<std::uint8_t>((x * 7919 + y * 104729) >> 3),
                          static_cast<std::uint8_t>(x * y), static_cast<std::uint8_t>(x ^ y)};
  });
  ASSERT_GT(png.size(), 500'000u);
  CountingReader pngReader(png);
  EXPECT_EQ(ProbePicture(pngReader), (PictureInfo{PictureFormat::Png, 1000, 1000}));
  EXPECT_LT(pngReader.read, 64u * 1024);

  // A JPEG whose header carries a megabyte of comment markers: libjpeg skips
  // them, and a skip costs at most the rest of one buffer of reading.
  const ByteData plain = fixtures::WriteJpeg(8, 8, kGrey);
  ByteData jpeg(plain.begin(), plain.begin() + 2);
  for (int i = 0; i < 16; ++i) {
    jpeg.insert(jpeg.end(), {0xFF, 0xFE, 0xFF, 0xFF});
    jpeg.insert(jpeg.end(), 0xFFFF - 2, 'c');
  }
  jpeg.insert(jpeg.end(), plain.begin() + 2, plain.end());
  CountingReader jpegReader(jpeg);
  EXPECT_EQ(ProbePicture(jpegReader), (PictureInfo{PictureFormat::Jpeg, 8, 8}));
  EXPECT_LT(jpegReader.read, jpeg.size() / 8);
}

TEST(RecogniseFormat, GoesByTheLeadingBytesAlone) {
  using platform::image::RecogniseFormat;
  EXPECT_EQ(RecogniseFormat(ByteData{0xFF, 0xD8, 0xFF, 0xE0}), PictureFormat::Jpeg);
  EXPECT_EQ(RecogniseFormat(ByteData{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}), PictureFormat::Png);
  EXPECT_EQ(RecogniseFormat(ByteData{'G', 'I', 'F', '8', '7', 'a'}), PictureFormat::Gif);
  EXPECT_EQ(RecogniseFormat(ByteData{'B', 'M', 0}), PictureFormat::Bmp);
  EXPECT_EQ(RecogniseFormat(ByteData{0x89, 'P', 'N', 'G'}), std::nullopt);
  EXPECT_EQ(RecogniseFormat(ByteData{'G', 'I', 'F', '8', '8', 'a'}), std::nullopt);
  EXPECT_EQ(RecogniseFormat(ByteData{}), std::nullopt);
}

}  // namespace
