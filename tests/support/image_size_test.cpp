#include "support/image_size.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/system.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/fixtures/picture_writers.h"

namespace {

const fixtures::PixelSource kGrey = fixtures::Solid({128, 128, 128});

ByteData BytesOf(const std::string& text) { return ByteData(text.begin(), text.end()); }

// Runs a test inside a fresh folder that is also the current directory, as
// the program's folder is while it runs.
class InFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.Path());
  }
  void TearDown() override { std::filesystem::current_path(previous_); }

  void Write(const std::string& name, const ByteData& bytes) const {
    fixtures::WriteFileBytes(folder_ / name, bytes);
  }

  TempFolder folder_;
  std::filesystem::path previous_;
};

struct Measured {
  int width, height;
  bool operator==(const Measured&) const = default;
};

Measured Measure(const ByteData& bytes) { return {GetImageWidth(bytes), GetImageHeight(bytes)}; }

TEST(ImageSize, MeasuresEachFormatFromItsBytes) {
  fixtures::GifPicture gif{.width = 31, .height = 17, .palette = {{0, 0, 0}, {9, 9, 9}}, .frames = {}};
  gif.frames.push_back({.width = 2, .height = 2, .indices = ByteData(4, 1)});
  EXPECT_EQ(Measure(fixtures::WritePng(31, 17, kGrey)), (Measured{31, 17}));
  EXPECT_EQ(Measure(fixtures::WriteJpeg(31, 17, kGrey)), (Measured{31, 17}));
  EXPECT_EQ(Measure(fixtures::WriteGif(gif)), (Measured{31, 17}));
  EXPECT_EQ(Measure(fixtures::WriteBmp(31, 17, kGrey)), (Measured{31, 17}));
  EXPECT_EQ(Measure(fixtures::WriteBmp(31, 17, kGrey, {.topDown = true})), (Measured{31, 17}));
}

TEST(ImageSize, WhatCantBeMeasuredIsZero) {
  ByteData truncated = fixtures::WritePng(31, 17, kGrey);
  truncated.resize(20);
  for (const ByteData& bytes : {ByteData{}, BytesOf("no picture"), truncated, ByteData{0, 0, 0}}) {
    EXPECT_EQ(Measure(bytes), (Measured{0, 0}));
  }
}

TEST_F(InFolder, TheBytesOfAFileNameMeasureThatFile) {
  Write("wide.png", fixtures::WritePng(40, 10, kGrey));
  EXPECT_EQ(Measure(BytesOf(folder_ / "wide.png")), (Measured{40, 10}));
  // A relative name resolves against the current directory.
  EXPECT_EQ(Measure(BytesOf("wide.png")), (Measured{40, 10}));
  // The file test reads the bytes up to the first zero.
  EXPECT_EQ(Measure(BytesOf(std::string("wide.png\0trailing junk", 22))), (Measured{40, 10}));
  // A folder's name is decoded as bytes, which are no picture.
  folder_.Folder("pictures.png");
  EXPECT_EQ(Measure(BytesOf("pictures.png")), (Measured{0, 0}));
  EXPECT_EQ(Measure(BytesOf("missing.png")), (Measured{0, 0}));
  // A file that is no picture measures 0 as well.
  folder_.File("notes.png");
  EXPECT_EQ(Measure(BytesOf("notes.png")), (Measured{0, 0}));
  // A pipe with no writer is an entry that isn't a folder; opening it for
  // reading must not wait for a writer that never comes.
  ASSERT_EQ(mkfifo((folder_ / "pipe.png").c_str(), 0644), 0);
  EXPECT_EQ(Measure(BytesOf("pipe.png")), (Measured{0, 0}));
}

// A picture's own leading bytes, up to its first zero, are tested as a file
// name first: when such a file exists, it is the one measured.
TEST_F(InFolder, PictureBytesThatNameAFileMeasureTheFile) {
  const ByteData bmp = fixtures::WriteBmp(5, 3, kGrey);
  const Text leading = AsText(bmp);  // "BM" and the low byte of the file size
  ASSERT_EQ(leading, "BMf");
  EXPECT_EQ(Measure(bmp), (Measured{5, 3}));
  Write(leading, fixtures::WritePng(70, 60, kGrey));
  EXPECT_EQ(Measure(bmp), (Measured{70, 60}));
}

TEST_F(InFolder, AGbkNameIsFoundThroughCodePage936) {
  Write("图片.png", fixtures::WritePng(12, 34, kGrey));
  const ByteData gbkName = {0xCD, 0xBC, 0xC6, 0xAC, '.', 'p', 'n', 'g'};
  EXPECT_EQ(Measure(gbkName), (Measured{12, 34}));
  EXPECT_TRUE(FileExists(AsText(gbkName)));
}

TEST(ImageSize, ToWideTextGoesThroughCodePage936) {
  EXPECT_EQ(ToWideText("a"), (ByteData{0x61, 0, 0, 0}));
  EXPECT_EQ(ToWideText(""), ByteData{});
  EXPECT_EQ(ToWideText("ab", true), (ByteData{0x61, 0, 0x62, 0}));
  EXPECT_EQ(ToWideText("", true), ByteData{});
  // 图 is CD BC in GBK and U+56FE; 0x80 is the euro sign in Windows' 936.
  EXPECT_EQ(ToWideText("\xCD\xBC\x80"), (ByteData{0xFE, 0x56, 0xAC, 0x20, 0, 0}));
  // Bytes after a zero don't count.
  EXPECT_EQ(BytesToWide({'x', 0, 'y'}, 936), (ByteData{'x', 0, 0, 0}));
  EXPECT_EQ(BytesToWide({0, 'y'}, 936), ByteData{});
}

TEST(MultiByteToWideChar, ReplacesWhatTheCodePageCantDecode) {
  // 0xFF starts nothing in GBK; 0x81 at the end starts a character that never comes.
  const ByteData wide = BytesToWide({'a', 0xFF, 'b', 0x81}, 936);
  EXPECT_EQ(wide, (ByteData{'a', 0, 0xFD, 0xFF, 'b', 0, 0xFD, 0xFF, 0, 0}));
  char16_t small[2];
  EXPECT_EQ(platform::MultiByteToWideChar(936, "abc", nullptr, 0), 4);
  EXPECT_EQ(platform::MultiByteToWideChar(936, "abc", small, 2), 0);  // too small: nothing
  EXPECT_EQ(platform::MultiByteToWideChar(65001, "\xE5\x9B\xBE", small, 2), 2);
  EXPECT_EQ(small[0], u'图');
}

TEST_F(InFolder, FileExistsForFilesOnly) {
  folder_.Folder("folder");
  folder_.File("plain");
  folder_.File(".hidden");
  folder_.File("locked");
  ASSERT_EQ(chmod((folder_ / "locked").c_str(), 0), 0);
  folder_.File("read-only");
  ASSERT_EQ(chmod((folder_ / "read-only").c_str(), 0444), 0);
  EXPECT_FALSE(FileExists("folder"));
  EXPECT_FALSE(FileExists(folder_ / "folder"));
  EXPECT_FALSE(FileExists("missing"));
  EXPECT_FALSE(FileExists(""));
  for (const char* name : {"plain", ".hidden", "locked", "read-only"}) {
    EXPECT_TRUE(FileExists(name)) << name;
    EXPECT_TRUE(FileExists(folder_ / name)) << name;
  }
  // Wildcards make a pattern; the answer concerns the first match.
  EXPECT_TRUE(FileExists("pla?n"));
  EXPECT_TRUE(FileExists("read*"));
  EXPECT_FALSE(FileExists("fold*"));
  EXPECT_FALSE(FileExists("nothing*"));
}

}  // namespace
