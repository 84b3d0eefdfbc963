// The system code page on POSIX: the character set of the user's LC_CTYPE.
#include "platform/posix/posix_system_code_page.h"

#include <langinfo.h>
#include <locale.h>

#include <string>

#include "platform/system.h"

namespace platform {

namespace posix {

namespace {

struct KnownCharset {
  const char* name;  // upper case, without "-" and "_"
  int codePage;
};

constexpr KnownCharset kKnownCharsets[] = {
    {"GBK", 936},        {"GB2312", 936},     {"GB18030", 936},   {"CP936", 936},
    {"EUCCN", 936},      {"WINDOWS936", 936}, {"UTF8", 65001},    {"ANSIX3.41968", 20127},
    {"ASCII", 20127},    {"USASCII", 20127},  {"KOI8R", 20866},   {"KOI8U", 21866},
    {"BIG5", 950},       {"BIG5HKSCS", 950},  {"CP950", 950},     {"SHIFTJIS", 932},
    {"SJIS", 932},       {"CP932", 932},      {"WINDOWS31J", 932}, {"EUCKR", 949},
    {"CP949", 949},      {"UHC", 949},        {"EUCJP", 20932},
};

std::string Normalised(std::string_view charset) {
  std::string name;
  for (char c : charset) {
    if (c == '-' || c == '_') continue;
    name += c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c;
  }
  return name;
}

// The number after `prefix` when `name` is the prefix and digits only.
int NumberAfter(const std::string& name, std::string_view prefix) {
  if (!name.starts_with(prefix) || name.size() == prefix.size() || name.size() > prefix.size() + 4) {
    return 0;
  }
  int number = 0;
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    number = number * 10 + (name[i] - '0');
  }
  return number;
}

}  // namespace

int CodePageOfCharset(std::string_view charset) {
  std::string name = Normalised(charset);
  for (const KnownCharset& known : kKnownCharsets) {
    if (name == known.name) return known.codePage;
  }
  if (int part = NumberAfter(name, "ISO8859"); part >= 1 && part <= 16) return 28590 + part;
  for (std::string_view prefix : {"CP", "WINDOWS"}) {
    if (int page = NumberAfter(name, prefix); page >= 1250 && page <= 1258) return page;
  }
  return 65001;
}

}  // namespace posix

// Read from a locale object of its own rather than through setlocale, which
// would change the whole process's locale under the other threads.
int SystemCodePage() {
  static const int codePage = [] {
    locale_t users = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (users == static_cast<locale_t>(0)) return posix::CodePageOfCharset(nl_langinfo(CODESET));
    int found = posix::CodePageOfCharset(nl_langinfo_l(CODESET, users));
    freelocale(users);
    return found;
  }();
  return codePage;
}

}  // namespace platform
