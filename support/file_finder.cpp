#include "support/file_finder.h"

#include <set>

#include "platform/system.h"
#include "support/text_order.h"

namespace {

// Folder links can lead back into the tree being walked, and a chain of them
// can make it as deep as the paths allow; both would hang the start-up.
constexpr int kDepthLimit = 64;

enum class Filter { Files, Folders };

bool Passes(const platform::FindEntry& entry, Filter filter) {
  bool folder = (entry.attributes & platform::kDirectoryAttribute) != 0;
  return filter == Filter::Folders ? folder : !folder;
}

// FileSearch: at most one open platform search per invocation, held in
// `search`. A search that has run to its end is closed at once, so a
// finished search holds no handle.
void FileSearchClose(platform::SearchHandle& search) {
  if (search == platform::kInvalidSearch) return;
  platform::FindClose(search);
  search = platform::kInvalidSearch;
}

Text FileSearchNext(platform::SearchHandle& search, Filter filter) {
  platform::FindEntry entry;
  while (search != platform::kInvalidSearch) {
    if (!platform::FindNextFileA(search, &entry)) {
      FileSearchClose(search);
      return {};
    }
    if (Passes(entry, filter)) return entry.name;
  }
  return {};
}

Text FileSearchStart(platform::SearchHandle& search, const Text& path, Filter filter) {
  FileSearchClose(search);
  platform::FindEntry entry;
  search = platform::FindFirstFileA(path, &entry);
  if (search == platform::kInvalidSearch) return {};
  return Passes(entry, filter) ? entry.name : FileSearchNext(search, filter);
}

// A "|" that is the second byte of a double-byte character does not split.
// Empty pieces count, except after the last "|".
TextArray SplitPatternList(const Text& patternList) {
  int codePage = TextCodePage();
  TextArray pieces;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < patternList.size()) {
    auto byte = static_cast<unsigned char>(patternList[i]);
    if (IsLeadByte(codePage, byte)) {
      i += 2;
    } else if (byte == '|') {
      pieces.Append(patternList.substr(start, i - start));
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < patternList.size()) pieces.Append(patternList.substr(start));
  return pieces;
}

// What the invocations of one walk share besides the pattern list and the
// result: the folders already searched and how deep the walk is.
struct Walk {
  std::set<Text> visited;
  int depth = 0;
};

int FindFilesIn(const Text& folder, const Text& patternList, TextArray& result,
                bool prefixFolder, bool sortNames, bool recurse, Walk& walk) {
  if (!recurse) result.Empty();

  Text folderCopy = folder;
  if (!folderCopy.ends_with(platform::kPathSeparator)) folderCopy += platform::kPathSeparator;

  if (recurse) {
    Text identity = platform::FolderIdentity(folderCopy);
    if (!identity.empty() && !walk.visited.insert(identity).second) return result.Count();
  }

  platform::SearchHandle search = platform::kInvalidSearch;
  TextArray pieces = SplitPatternList(patternList);
  for (const Text& piece : pieces.Texts()) {
    Text name = FileSearchStart(search, folderCopy + piece, Filter::Files);
    while (!name.empty()) {
      if (prefixFolder) name = folderCopy + name;
      result.Append(name);
      PumpPendingMessages();
      name = FileSearchNext(search, Filter::Files);
    }
  }

  if (sortNames) SortTextArray(result);

  if (recurse && walk.depth < kDepthLimit) {
    Text name = FileSearchStart(search, folderCopy + "*.*", Filter::Folders);
    while (!name.empty()) {
      if (name != "." && name != "..") {
        ++walk.depth;
        FindFilesIn(folderCopy + name, patternList, result, prefixFolder, sortNames, true, walk);
        --walk.depth;
        PumpPendingMessages();
      }
      name = FileSearchNext(search, Filter::Folders);
    }
  }

  int count = result.Count();
  FileSearchClose(search);
  return count;
}

}  // namespace

int FindFiles(const Text& folder, const Text& patternList, TextArray& result, bool prefixFolder,
              bool sortNames, bool recurse) {
  Walk walk;
  return FindFilesIn(folder, patternList, result, prefixFolder, sortNames, recurse, walk);
}

// A quit request is looked at before it is taken: taking it here would lose
// it, and the event loop that waits for it would never end.
void PumpPendingMessages() {
  using namespace platform;
  MessageRecord record{};
  while (PeekMessageA(&record, 0, 0, 0, kPmNoRemove) != 0 && record.message != kWmQuit) {
    if (PeekMessageA(&record, 0, 0, 0, kPmRemove) == 0) break;
    TranslateMessage(&record);
    DispatchMessageA(&record);
  }
}
