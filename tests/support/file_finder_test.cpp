#include "support/file_finder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/posix/posix_files.h"
#include "platform/posix/thread_queue.h"
#include "platform/system.h"
#include "support/text_order.h"
#include "tests/fixtures/temp_folder.h"

namespace {

class FindFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { SetTextCodePage(65001); }
  void TearDown() override {
    SetTextCodePage(0);
    platform::ProcessPendingEvents();
  }
  TempFolder root;
};

TEST_F(FindFilesTest, StoresMatchesPatternByPatternAndOrdersOnRequest) {
  root.File("z.jpg");
  root.File("a.png");
  root.File("notes.txt");
  root.Folder("x.jpg");  // a folder is never stored by the pattern search
  TextArray result;

  EXPECT_EQ(FindFiles(root.Path(), "*.jpg|*.png", result), 2);
  EXPECT_EQ(result, (TextArray{"z.jpg", "a.png"}));

  EXPECT_EQ(FindFiles(root.Path() + "/", "*.jpg|*.png", result, false, true), 2);
  EXPECT_EQ(result, (TextArray{"a.png", "z.jpg"}));
}

TEST_F(FindFilesTest, SplitsThePatternList) {
  root.File("a.jpg");
  root.File("b.png");
  const std::pair<const char*, TextArray> cases[] = {
      {"*.jpg|", {"a.jpg"}},
      {"*.jpg||*.png", {"a.jpg", "b.png"}},
      {"|*.png", {"b.png"}},
      {"", {}},
      {"|", {}},
      {"*.png|*.jpg", {"b.png", "a.jpg"}},
      {"*.jpg|a.*", {"a.jpg", "a.jpg"}},  // a name matching twice is stored twice
      {"*.JPG", {"a.jpg"}},
      {"?.png", {"b.png"}},
  };
  for (const auto& [patternList, expected] : cases) {
    TextArray result;
    EXPECT_EQ(FindFiles(root.Path(), patternList, result), expected.Count()) << patternList;
    EXPECT_EQ(result, expected) << patternList;
  }
}

// In GBK a "|" can be the second byte of a character and must not split.
TEST_F(FindFilesTest, PatternSplitStepsOverDoubleByteCharacters) {
  root.File("a.jpg");
  root.File("b.png");
  TextArray result;
  SetTextCodePage(936);
  FindFiles(root.Path(), "\x81|*.png|*.jpg", result);
  EXPECT_EQ(result, (TextArray{"a.jpg"}));

  SetTextCodePage(65001);
  FindFiles(root.Path(), "\x81|*.png|*.jpg", result);
  EXPECT_EQ(result, (TextArray{"b.png", "a.jpg"}));
}

TEST_F(FindFilesTest, WalksSubFoldersInPreOrder) {
  root.File("a.jpg");
  root.Folder("sub");
  root.File("sub/b.jpg");
  root.Folder("sub/deeper");
  root.File("sub/deeper/c.jpg");
  root.Folder("other.jpg");
  root.File("other.jpg/d.jpg");
  TextArray result;

  EXPECT_EQ(FindFiles(root.Path(), "*.jpg", result, false, false, true), 4);
  EXPECT_EQ(result, (TextArray{"a.jpg", "d.jpg", "b.jpg", "c.jpg"}));

  result.Empty();
  FindFiles(root.Path(), "*.jpg", result, true, false, true);
  const Text folder = root.Path() + "/";
  EXPECT_EQ(result, (TextArray{folder + "a.jpg", folder + "other.jpg/d.jpg", folder + "sub/b.jpg",
                               folder + "sub/deeper/c.jpg"}));

  result.Empty();
  FindFiles(root.Path(), "*.jpg", result, false, true, true);
  EXPECT_EQ(result, (TextArray{"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
}

TEST_F(FindFilesTest, KeepsEarlierElementsOnlyWhenRecursing) {
  root.File("a.jpg");
  root.Folder("sub");
  root.File("sub/b.jpg");
  root.File("sub/c.jpg");

  TextArray result{"z", "m"};
  EXPECT_EQ(FindFiles(root.Path(), "*.jpg", result, false, false, true), 5);
  EXPECT_EQ(result, (TextArray{"z", "m", "a.jpg", "b.jpg", "c.jpg"}));

  result = TextArray{"z", "m"};
  EXPECT_EQ(FindFiles(root.Path(), "*.jpg", result, false, true, true), 5);
  EXPECT_EQ(result, (TextArray{"a.jpg", "b.jpg", "c.jpg", "m", "z"}));

  result = TextArray{"z", "m"};
  EXPECT_EQ(FindFiles(root.Path(), "*.jpg", result), 1);
  EXPECT_EQ(result, (TextArray{"a.jpg"}));

  result = TextArray{"z", "m"};
  EXPECT_EQ(FindFiles(root / "missing", "*.jpg", result), 0);
  EXPECT_EQ(result.Count(), 0);
  result = TextArray{"z", "m"};
  EXPECT_EQ(FindFiles(root / "missing", "*.jpg", result, false, false, true), 2);
}

// An empty folder becomes the separator alone: the root, not the current
// folder.
TEST_F(FindFilesTest, EmptyFolderSearchesTheRoot) {
  root.File("here.jpg");
  auto previous = std::filesystem::current_path();
  std::filesystem::current_path(root.Path());
  TextArray fromEmpty;
  TextArray fromRoot;
  FindFiles("", "*.jpg", fromEmpty);
  FindFiles("/", "*.jpg", fromRoot);
  std::filesystem::current_path(previous);
  EXPECT_EQ(fromEmpty, fromRoot);
  for (const Text& name : fromEmpty.Texts()) EXPECT_NE(name, "here.jpg");
}

// One link per case, so that a walk without its guard fails quickly on
// repeated names instead of branching until the depth limit.
TEST_F(FindFilesTest, LinksBackIntoTheTreeEndTheWalk) {
  struct {
    const char* what;
    const char* link;
    Text target;
    TextArray expected;
  } const cases[] = {
      {"to the parent", "sub/up", "..", {"a.jpg", "p.jpg", "b.jpg"}},
      {"to itself", "sub/self", ".", {"a.jpg", "p.jpg", "b.jpg"}},
      {"to the top, absolute", "sub/top", "", {"a.jpg", "p.jpg", "b.jpg"}},
      {"a second way into a folder", "alias", "pics", {"a.jpg", "p.jpg", "b.jpg"}},
  };
  for (const auto& c : cases) {
    TempFolder tree;
    tree.File("a.jpg");
    tree.Folder("pics");
    tree.File("pics/p.jpg");
    tree.Folder("sub");
    tree.File("sub/b.jpg");
    tree.Link(c.link, c.target.empty() ? tree.Path() : c.target);
    TextArray result;
    EXPECT_EQ(FindFiles(tree.Path(), "*.jpg", result, false, false, true), 3) << c.what;
    EXPECT_EQ(result, c.expected) << c.what;
  }
}

TEST_F(FindFilesTest, StopsAtTheDepthLimit) {
  Text relative;
  for (int depth = 0; depth < 70; ++depth) {
    if (depth > 0) {
      relative += relative.empty() ? "d" : "/d";
      root.Folder(relative);
    }
    root.File(relative.empty() ? "f.jpg" : relative + "/f.jpg");
  }
  TextArray result;
  EXPECT_EQ(FindFiles(root.Path(), "*.jpg", result, false, false, true), 65);
}

// Handlers that run during the search see how far it has come.
TextArray* searched = nullptr;
int countSeen = -1;
const TempFolder* folderToChange = nullptr;

TEST_F(FindFilesTest, DispatchesMessagesAfterEachStoredName) {
  root.File("a.jpg");
  root.File("b.jpg");
  TextArray result;
  searched = &result;
  countSeen = -1;
  platform::PostToThread(platform::CurrentThreadId(), [](void*) { countSeen = searched->Count(); },
                         nullptr);
  FindFiles(root.Path(), "*.jpg", result);
  EXPECT_EQ(countSeen, 1);
}

// The handler adds a file to a folder that is searched after it runs; the
// only dispatch before that folder is the one after the empty sub-folder.
TEST_F(FindFilesTest, DispatchesMessagesAfterEachSearchedSubFolder) {
  root.Folder("sub1");
  root.Folder("sub2");
  folderToChange = &root;
  platform::PostToThread(platform::CurrentThreadId(),
                         [](void*) { folderToChange->File("sub2/late.jpg"); }, nullptr);
  TextArray result;
  FindFiles(root.Path(), "*.jpg", result, false, false, true);
  EXPECT_EQ(result, (TextArray{"late.jpg"}));
}

// Each folder's own search of sub-folders stays open below it; nothing
// stays open once the walk is over.
std::size_t openSearchesSeen = 0;

TEST_F(FindFilesTest, HoldsOneSearchPerLevelAndNoneAfterwards) {
  root.Folder("sub");
  root.Folder("sub/deeper");
  root.File("sub/deeper/c.jpg");
  std::size_t openBefore = platform::posix::OpenSearchCount();
  platform::PostToThread(
      platform::CurrentThreadId(),
      [](void*) { openSearchesSeen = platform::posix::OpenSearchCount(); }, nullptr);
  TextArray result;
  FindFiles(root.Path(), "*.jpg|*.png", result, false, true, true);
  EXPECT_EQ(openSearchesSeen - openBefore, 3u) << "root's and sub's folder searches, deeper's own";
  EXPECT_EQ(platform::posix::OpenSearchCount(), openBefore);
}

bool handlerRan = false;

TEST_F(FindFilesTest, PumpingLeavesAQuitRequestQueued) {
  handlerRan = false;
  platform::PostToThread(platform::CurrentThreadId(), [](void*) { handlerRan = true; }, nullptr);
  platform::posix::PostQuit(platform::CurrentThreadId());
  PumpPendingMessages();
  EXPECT_TRUE(handlerRan);
  EXPECT_TRUE(platform::posix::QuitRequested());
  platform::posix::TakeQuit();
  PumpPendingMessages();  // an empty queue: returns at once
}

}  // namespace
