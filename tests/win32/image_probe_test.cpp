// The image size probe on the real GDI+ and the bound system functions.
#include <gtest/gtest.h>

#include "platform/system.h"
#include "platform/win32/win32_windows_h.h"
#include "support/image_size.h"
#include "tests/win32/tiny_pictures.h"
#include "tests/win32/windows_test_helpers.h"

namespace {

using win32_test::ScratchFolder;

ByteData BytesOf(const Text& text) { return ByteData(text.begin(), text.end()); }

struct Measured {
  const char* what;
  ByteData picture;
  int width, height;
};

TEST(ImageProbe, MeasuresPicturesHandedOverAsTheirBytes) {
  const Measured cases[] = {
      {"PNG", win32_test::kPng5x3, 5, 3},
      {"JPEG", win32_test::kJpeg7x4, 7, 4},
      {"GIF", win32_test::kGif6x2, 6, 2},
      {"BMP", win32_test::SolidBmp(3, 9, 255, 255, 0), 3, 9},
      {"empty", {}, 0, 0},
      {"no picture", BytesOf("just some text"), 0, 0},
      {"a cut PNG", ByteData(win32_test::kPng5x3.begin(), win32_test::kPng5x3.begin() + 20), 0, 0},
  };
  for (const Measured& c : cases) {
    EXPECT_EQ(GetImageWidth(c.picture), c.width) << c.what;
    EXPECT_EQ(GetImageHeight(c.picture), c.height) << c.what;
  }
}

TEST(ImageProbe, MeasuresTheFileThatTheBytesName) {
  ScratchFolder folder;
  win32_test::WriteBytes(folder / "six.gif", win32_test::kGif6x2);
  win32_test::MakeFolder(folder / "folder.gif");

  EXPECT_EQ(GetImageWidth(BytesOf(folder / "six.gif")), 6);
  EXPECT_EQ(GetImageHeight(BytesOf(folder / "six.gif")), 2);
  // Only the bytes before the first zero are the name.
  ByteData nameThenZero = BytesOf(folder / "six.gif");
  nameThenZero.push_back(0);
  nameThenZero.push_back('x');
  EXPECT_EQ(GetImageWidth(nameThenZero), 6);
  EXPECT_EQ(GetImageWidth(BytesOf(folder / "folder.gif")), 0) << "a folder is no file";
  EXPECT_EQ(GetImageWidth(BytesOf(folder / "missing.gif")), 0);

  // Relative names resolve against the current directory.
  char previous[MAX_PATH];
  ::GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryA(folder.Path().c_str()));
  EXPECT_EQ(GetImageHeight(BytesOf("six.gif")), 2);
  ::SetCurrentDirectoryA(previous);
}

TEST(ImageProbe, ReadsNamesAsGbkWhateverTheSystemCodePage) {
  ScratchFolder folder;
  std::wstring wideFolder(folder.Path().begin(), folder.Path().end());
  win32_test::WriteBytesWide(wideFolder + L"\\\x56FE.gif", win32_test::kGif6x2);  // 图.gif
  Text gbkName = folder / "\xCD\xBC.gif";
  EXPECT_TRUE(FileExists(gbkName));
  EXPECT_EQ(GetImageWidth(BytesOf(gbkName)), 6);
}

TEST(ImageProbe, FileExistsOnlyForEntriesThatAreNoFolder) {
  ScratchFolder folder;
  win32_test::WriteBytes(folder / "plain", {1});
  win32_test::WriteBytes(folder / "hidden", {1});
  ::SetFileAttributesA((folder / "hidden").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
  win32_test::MakeFolder(folder / "sub");
  EXPECT_TRUE(FileExists(folder / "plain"));
  EXPECT_TRUE(FileExists(folder / "hidden"));
  EXPECT_TRUE(FileExists(folder / "pl*")) << "a pattern asks about its first match";
  EXPECT_FALSE(FileExists(folder / "sub"));
  EXPECT_FALSE(FileExists(folder / "missing"));
  EXPECT_FALSE(FileExists(""));
}

TEST(ImageProbe, WideTextIsUtf16ThroughCodePage936) {
  EXPECT_EQ(ToWideText("a"), (ByteData{0x61, 0, 0, 0}));
  EXPECT_EQ(ToWideText("\xCD\xBC"), (ByteData{0xFE, 0x56, 0, 0}));
  EXPECT_EQ(ToWideText(""), ByteData{});
}

TEST(ImageProbe, ThePlatformMeasuresNothingForAnEmptyName) {
  EXPECT_EQ(platform::MeasurePictureFile({}, platform::Dimension::Width), 0);
  EXPECT_EQ(platform::MeasurePictureBytes({}, platform::Dimension::Height), 0);
}

}  // namespace
