// The POSIX folder listing under the file finder: what the Windows search
// would give for the same folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/system.h"
#include "tests/fixtures/temp_folder.h"

namespace {

std::vector<platform::FindEntry> ListAll(const Text& path) {
  std::vector<platform::FindEntry> entries;
  platform::FindEntry entry;
  platform::SearchHandle search = platform::FindFirstFileA(path, &entry);
  if (search == platform::kInvalidSearch) return entries;
  do {
    entries.push_back(entry);
  } while (platform::FindNextFileA(search, &entry));
  EXPECT_FALSE(platform::FindNextFileA(search, &entry)) << "a finished search stays finished";
  platform::FindClose(search);
  return entries;
}

std::vector<Text> Names(const Text& path) {
  std::vector<Text> names;
  for (const auto& entry : ListAll(path)) names.push_back(entry.name);
  return names;
}

TEST(FolderListing, ListsInTheOrderOfAnNtfsFolder) {
  TempFolder root;
  for (const char* name : {"b.jpg", "A.jpg", "_x.jpg", "a2.jpg", "Z.jpg", "-y.jpg"}) root.File(name);
  // Upper-cased, "_" (0x5F) comes after the letters; lower-cased it would not.
  EXPECT_EQ(Names(root / "*"),
            (std::vector<Text>{".", "..", "-y.jpg", "A.jpg", "a2.jpg", "b.jpg", "Z.jpg", "_x.jpg"}));
}

TEST(FolderListing, MatchesWildcardsWithoutRegardToCase) {
  TempFolder root;
  for (const char* name : {"a.jpg", "B.JPG", "c.jpeg", "jpg", "ab.jpg", "\xC3\xA9.jpg", "aXbYc",
                           "acb", "abc", "noext"}) {
    root.File(name);
  }
  const std::pair<const char*, std::vector<Text>> cases[] = {
      {"*.jpg", {"a.jpg", "ab.jpg", "B.JPG", "\xC3\xA9.jpg"}},
      {"*.JPG", {"a.jpg", "ab.jpg", "B.JPG", "\xC3\xA9.jpg"}},
      {"?.jpg", {"a.jpg", "B.JPG", "\xC3\xA9.jpg"}},  // "?" is one character, not one byte
      {"a*b*c", {"abc", "aXbYc"}},
      {"abc", {"abc"}},
      {"ABC", {"abc"}},
      {"*c", {"abc", "aXbYc"}},
      {"noext.*", {"noext"}},  // ".*" also takes a name without an extension
      {"nothing*", {}},
      {"", {}},
  };
  for (const auto& [pattern, expected] : cases) EXPECT_EQ(Names(root / pattern), expected) << pattern;
  std::vector<Text> everything = Names(root / "*.*");
  EXPECT_EQ(everything.size(), 12u) << "\"*.*\" is every entry, dots or not";
}

TEST(FolderListing, MarksFoldersFollowingLinks) {
  TempFolder root;
  root.File("file");
  root.Folder("folder");
  root.Link("to-folder", "folder");
  root.Link("to-file", "file");
  root.Link("broken", "gone");
  std::vector<std::pair<Text, bool>> listed;
  for (const auto& entry : ListAll(root / "*")) {
    listed.emplace_back(entry.name, (entry.attributes & platform::kDirectoryAttribute) != 0);
  }
  // A link whose target is gone is still an entry of the folder: a file.
  EXPECT_EQ(listed, (std::vector<std::pair<Text, bool>>{{".", true},
                                                        {"..", true},
                                                        {"broken", false},
                                                        {"file", false},
                                                        {"folder", true},
                                                        {"to-file", false},
                                                        {"to-folder", true}}));
}

TEST(FolderListing, RefusesWhatCannotBeListed) {
  TempFolder root;
  root.File("a.jpg");
  platform::FindEntry entry;
  for (const Text& path : {root / "missing/*", root / "a.jpg/*", root.Path() + "/", Text()}) {
    EXPECT_EQ(platform::FindFirstFileA(path, &entry), platform::kInvalidSearch) << path;
  }
  EXPECT_FALSE(platform::FindNextFileA(platform::kInvalidSearch, &entry));
  EXPECT_FALSE(platform::FindNextFileA(987654, &entry));
  platform::FindClose(987654);
}

TEST(FolderListing, IdentifiesFoldersWhateverThePath) {
  TempFolder root;
  root.Folder("sub");
  root.Link("alias", "sub");
  root.File("file");
  EXPECT_FALSE(platform::FolderIdentity(root / "sub").empty());
  EXPECT_EQ(platform::FolderIdentity(root / "sub"), platform::FolderIdentity(root / "alias/"));
  EXPECT_NE(platform::FolderIdentity(root / "sub"), platform::FolderIdentity(root.Path()));
  EXPECT_EQ(platform::FolderIdentity(root / "missing"), "");
}

TEST(FolderListing, FindsWideNames) {
  TempFolder root;
  root.File("\xE5\x9B\xBE.jpg");  // 图.jpg
  root.File("\xF0\x9F\x98\x80.png");  // outside the BMP: a surrogate pair in UTF-16
  root.Folder("sub");
  std::u16string folder(root.Path().begin(), root.Path().end());
  std::uint32_t attributes = 12345;

  EXPECT_TRUE(platform::FindFirstFileW((folder + u"/图.jpg").c_str(), &attributes));
  EXPECT_EQ(attributes & platform::kDirectoryAttribute, 0u);
  EXPECT_TRUE(platform::FindFirstFileW((folder + u"/*.JPG").c_str(), &attributes));
  EXPECT_EQ(attributes & platform::kDirectoryAttribute, 0u);
  EXPECT_TRUE(platform::FindFirstFileW((folder + u"/s?b").c_str(), &attributes));
  EXPECT_EQ(attributes & platform::kDirectoryAttribute, platform::kDirectoryAttribute);
  EXPECT_TRUE(platform::FindFirstFileW((folder + u"/\U0001F600.png").c_str(), &attributes));
  EXPECT_FALSE(platform::FindFirstFileW((folder + u"/图.png").c_str(), &attributes));
  EXPECT_FALSE(platform::FindFirstFileW((folder + u"/*.gif").c_str(), &attributes));
  EXPECT_FALSE(platform::FindFirstFileW(u"", &attributes));
  EXPECT_FALSE(platform::FindFirstFileW(nullptr, &attributes));

  auto previous = std::filesystem::current_path();
  std::filesystem::current_path(root.Path());
  bool relativeFound = platform::FindFirstFileW(u"图.jpg", &attributes);
  bool relativePatternFound = platform::FindFirstFileW(u"*.jpg", &attributes);
  std::filesystem::current_path(previous);
  EXPECT_TRUE(relativeFound);
  EXPECT_TRUE(relativePatternFound);
}

}  // namespace
