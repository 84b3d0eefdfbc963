// The folder listing as the Windows file search gives it: "*" and "?"
// matched without regard to letter case, "." and ".." first, then the names
// in the order an NTFS folder keeps them (upper-cased, byte by byte), so a
// folder lists alike on both systems.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/posix/posix_files.h"
#include "platform/system.h"

namespace platform {

namespace {

constexpr std::uint32_t kArchiveAttribute = 0x20;
constexpr std::uint32_t kReparsePointAttribute = 0x400;

unsigned char UpperAscii(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte >= 'a' && byte <= 'z' ? byte - 0x20 : byte;
}

// Bytes of the UTF-8 character at `at`; a malformed one counts as one byte,
// so any name can be matched.
std::size_t CharacterLength(std::string_view text, std::size_t at) {
  auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3
                       : lead >= 0xC2 && lead < 0xE0                 ? 2
                                                                      : 1;
  if (at + length > text.size()) return 1;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

// "*" is any run of characters, "?" one character; letters match either case.
bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starAt = std::string_view::npos;  // pattern position after the last "*"
  std::size_t resumeAt = 0;                     // name position that "*" covers up to
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = ++p;
      resumeAt = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      n += CharacterLength(name, n);
    } else if (p < pattern.size() && UpperAscii(pattern[p]) == UpperAscii(name[n])) {
      ++p;
      ++n;
    } else if (starAt != std::string_view::npos) {
      p = starAt;
      resumeAt += CharacterLength(name, resumeAt);
      n = resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// As on Windows, a pattern ending in ".*" also takes names without that
// extension: "*.*" is every name, folders without a dot included.
bool NameMatches(std::string_view pattern, std::string_view name) {
  if (MatchesWildcard(pattern, name)) return true;
  return pattern.ends_with(".*") && MatchesWildcard(pattern.substr(0, pattern.size() - 2), name);
}

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

bool IsDotEntry(const Text& name) { return name == "." || name == ".."; }

bool ListedBefore(const FindEntry& a, const FindEntry& b) {
  if (IsDotEntry(a.name) || IsDotEntry(b.name)) {
    if (IsDotEntry(a.name) != IsDotEntry(b.name)) return IsDotEntry(a.name);
    return a.name.size() < b.name.size();
  }
  auto upperLess = [](char x, char y) { return UpperAscii(x) < UpperAscii(y); };
  if (std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                   upperLess)) {
    return true;
  }
  if (std::lexicographical_compare(b.name.begin(), b.name.end(), a.name.begin(), a.name.end(),
                                   upperLess)) {
    return false;
  }
  return a.name < b.name;  // names differing only in case, which NTFS would refuse
}

std::uint32_t AttributesOf(const struct stat& status) {
  return S_ISDIR(status.st_mode) ? kDirectoryAttribute : kArchiveAttribute;
}

// Links are followed. A link whose target is gone is still an entry of the
// folder, listed as a file, as Windows lists it.
bool ReadAttributes(int folderFd, const char* name, std::uint32_t* attributes) {
  struct stat status;
  if (fstatat(folderFd, name, &status, 0) == 0) {
    *attributes = AttributesOf(status);
    return true;
  }
  if (fstatat(folderFd, name, &status, AT_SYMLINK_NOFOLLOW) == 0) {
    *attributes = kReparsePointAttribute;
    return true;
  }
  return false;  // gone since the folder was read
}

// The entries of `folder` ("" for the current one) whose names match
// `pattern`, in listing order.
std::vector<FindEntry> ListMatches(const Text& folder, std::string_view pattern) {
  std::vector<FindEntry> matches;
  if (pattern.empty()) return matches;
  DIR* listing = opendir(folder.empty() ? "." : folder.c_str());
  if (listing == nullptr) return matches;
  while (const dirent* item = readdir(listing)) {
    if (!NameMatches(pattern, item->d_name)) continue;
    FindEntry entry{0, item->d_name};
    if (ReadAttributes(dirfd(listing), item->d_name, &entry.attributes)) {
      matches.push_back(std::move(entry));
    }
  }
  closedir(listing);
  std::sort(matches.begin(), matches.end(), ListedBefore);
  return matches;
}

// The folder part keeps its separator: "pics/*.jpg" gives "pics/" and
// "*.jpg", "/" stays the root.
std::pair<Text, std::string_view> SplitPath(const Text& path) {
  std::size_t last = path.rfind(kPathSeparator[0]);
  if (last == Text::npos) return {Text(), path};
  return {path.substr(0, last + 1), std::string_view(path).substr(last + 1)};
}

struct OpenSearch {
  std::vector<FindEntry> entries;
  std::size_t next = 0;
};

std::mutex searchesLock;
std::map<SearchHandle, OpenSearch> searches;
SearchHandle lastHandle = 0;

// UTF-16 up to its zero unit; unpaired surrogates become U+FFFD.
Text Utf8FromUtf16(const char16_t* wide) {
  Text out;
  for (const char16_t* unit = wide; *unit != 0; ++unit) {
    char32_t code = *unit;
    if (code >= 0xD800 && code <= 0xDBFF && unit[1] >= 0xDC00 && unit[1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (unit[1] - 0xDC00);
      ++unit;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

}  // namespace

SearchHandle FindFirstFileA(const Text& path, FindEntry* entry) {
  auto [folder, pattern] = SplitPath(path);
  std::vector<FindEntry> matches = ListMatches(folder, pattern);
  if (matches.empty()) return kInvalidSearch;
  *entry = matches.front();
  std::lock_guard lock(searchesLock);
  SearchHandle handle = ++lastHandle;
  searches[handle] = OpenSearch{std::move(matches), 1};
  return handle;
}

bool FindNextFileA(SearchHandle search, FindEntry* entry) {
  std::lock_guard lock(searchesLock);
  auto open = searches.find(search);
  if (open == searches.end() || open->second.next >= open->second.entries.size()) return false;
  *entry = open->second.entries[open->second.next++];
  return true;
}

void FindClose(SearchHandle search) {
  std::lock_guard lock(searchesLock);
  searches.erase(search);
}

std::size_t posix::OpenSearchCount() {
  std::lock_guard lock(searchesLock);
  return searches.size();
}

Text FolderIdentity(const Text& folder) {
  struct stat status;
  if (stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return {};
  return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
}

bool FindFirstFileW(const char16_t* name, std::uint32_t* attributes) {
  if (name == nullptr) return false;
  Text path = Utf8FromUtf16(name);
  auto [folder, pattern] = SplitPath(path);
  if (HasWildcard(pattern)) {
    std::vector<FindEntry> matches = ListMatches(folder, pattern);
    if (matches.empty()) return false;
    if (attributes != nullptr) *attributes = matches.front().attributes;
    return true;
  }
  std::uint32_t found = 0;
  if (path.empty() || !ReadAttributes(AT_FDCWD, path.c_str(), &found)) return false;
  if (attributes != nullptr) *attributes = found;
  return true;
}

}  // namespace platform
