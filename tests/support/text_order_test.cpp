#include "support/text_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/posix/posix_system_code_page.h"
#include "platform/system.h"

namespace {

constexpr int kGbk = 936;
constexpr int kUtf8 = 65001;

class TextOrder : public ::testing::Test {
 protected:
  void TearDown() override { SetTextCodePage(0); }
};

struct SortCase {
  const char* what;
  TextArray input;
  bool descending;
  bool caseSensitive;
  TextArray expected;
};

TEST_F(TextOrder, SortsByInsertionWithItsPlacementOfEqualTexts) {
  SetTextCodePage(kUtf8);
  const SortCase cases[] = {
      {"empty", {}, false, true, {}},
      {"empty, descending", {}, true, true, {}},
      {"one text", {"x"}, false, true, {"x"}},
      {"three", {"b", "a", "c"}, false, true, {"a", "b", "c"}},
      {"three, descending", {"b", "a", "c"}, true, true, {"c", "b", "a"}},
      {"capitals first", {"b", "B", "a"}, false, true, {"B", "a", "b"}},
      {"B equals the last b and goes after it", {"b", "B", "a"}, false, false, {"a", "b", "B"}},
      {"ignoring case, descending", {"b", "B", "a"}, true, false, {"B", "b", "a"}},
      {"B goes before the b where the search ended", {"a", "c", "b", "B"}, false, false,
       {"a", "B", "b", "c"}},
      {"b equals the first B and is less than the last", {"B", "c", "b"}, false, false,
       {"b", "B", "c"}},
      {"the very same bytes stop the search early", {"a", "a", "b", "b", "c", "B", "b"}, false,
       false, {"a", "a", "b", "b", "B", "b", "c"}},
      {"digits compare as characters", {"9.jpg", "10.jpg"}, false, true, {"10.jpg", "9.jpg"}},
      {"equal texts", {"a", "a", "a"}, false, true, {"a", "a", "a"}},
      {"a beginning comes first", {"ab", "a", ""}, false, true, {"", "a", "ab"}},
      {"bytes unsigned", {"\xC3\xA9", "z", "A"}, false, true, {"A", "z", "\xC3\xA9"}},
      {"odd count reversed", {"2", "3", "1"}, true, true, {"3", "2", "1"}},
  };
  for (const SortCase& c : cases) {
    TextArray texts = c.input;
    SortTextArray(texts, c.descending, c.caseSensitive);
    EXPECT_EQ(texts.Texts(), c.expected.Texts()) << c.what;
  }
}

// The binary search must find the place of every element, whatever the
// input's order; a mistake in its bounds shows only on longer arrays.
TEST_F(TextOrder, LongArraysEndOrderedAndKeepEveryText) {
  SetTextCodePage(kUtf8);
  std::vector<Text> source;
  unsigned seed = 12345;
  for (int i = 0; i < 500; ++i) {
    seed = seed * 1103515245 + 12345;
    Text text;
    for (int k = 0; k < 1 + static_cast<int>(seed >> 28) % 4; ++k) {
      text += "aBbC\xC3"[(seed >> (8 + 3 * k)) % 5];
    }
    source.push_back(text);
  }
  for (bool caseSensitive : {true, false}) {
    TextArray texts;
    for (const Text& text : source) texts.Append(text);
    SortTextArray(texts, false, caseSensitive);

    std::vector<Text> sortedSource = source;
    std::vector<Text> sortedResult = texts.Texts();
    std::sort(sortedSource.begin(), sortedSource.end());
    std::sort(sortedResult.begin(), sortedResult.end());
    EXPECT_EQ(sortedResult, sortedSource) << "a text was lost or duplicated";

    auto upper = [](Text t) {
      for (char& c : t) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c;
      return t;
    };
    for (int i = 1; i < texts.Count(); ++i) {
      const Text& a = texts.At(i);
      const Text& b = texts.At(i + 1);
      if (caseSensitive) {
        EXPECT_LE(CompareTexts(a, b), 0) << i << ": " << a << " / " << b;
      } else {
        EXPECT_LE(CompareTexts(upper(a), upper(b)), 0) << i << ": " << a << " / " << b;
      }
    }
  }
}

struct CompareCase {
  int codePage;
  Text a, b;
  int expected;
};

TEST_F(TextOrder, ComparesCharactersOfTheCodePage) {
  const CompareCase cases[] = {
      {kUtf8, "B", "a", -1},
      {kUtf8, "a", "a", 0},
      {kUtf8, "a", "ab", -1},
      {kUtf8, "10.jpg", "9.jpg", -1},
      {kUtf8, "", "", 0},
      {kUtf8, "\xE4\xB8\xAD", "z", 1},
      // A lead byte at the end reads as the end of the text in GBK only.
      {kUtf8, "a\x81", "a", 1},
      {kGbk, "a\x81", "a", 0},
      {kGbk, "a\x81", "a\x01", -1},
      {kUtf8, "a\x81", "a\x01", 1},
      // Double-byte characters come after every ASCII character.
      {kGbk, "\xD6\xD0", "z", 1},
      {kGbk, "\x81\x40", "\x81\x7E", -1},
      {kGbk, "\x80", "\x81\x40", -1},  // 0x80 is not a lead byte of GBK
  };
  for (const CompareCase& c : cases) {
    SetTextCodePage(c.codePage);
    EXPECT_EQ(CompareTexts(c.a, c.b), c.expected) << c.codePage << ": " << c.a << " / " << c.b;
    EXPECT_EQ(CompareTexts(c.b, c.a), -c.expected) << c.codePage << ": " << c.b << " / " << c.a;
  }
}

// In GBK the second byte of a character can be the byte of a small letter;
// the case-insensitive rule must not change it.
TEST_F(TextOrder, IgnoringCaseLeavesSecondBytesAlone) {
  SetTextCodePage(kGbk);
  TextArray texts{"\x81" "a", "\x81" "A"};
  SortTextArray(texts, false, false);
  EXPECT_EQ(texts, (TextArray{"\x81" "A", "\x81" "a"})) << "different characters, ordered";

  SetTextCodePage(kUtf8);
  texts = TextArray{"\x81" "a", "\x81" "A"};
  SortTextArray(texts, false, false);
  EXPECT_EQ(texts, (TextArray{"\x81" "a", "\x81" "A"})) << "equal once upper-cased: kept in order";
}

TEST_F(TextOrder, ReversesInPlace) {
  const std::pair<TextArray, TextArray> cases[] = {
      {{}, {}},
      {{"1"}, {"1"}},
      {{"1", "2", "3"}, {"3", "2", "1"}},
      {{"1", "2", "3", "4"}, {"4", "3", "2", "1"}},
  };
  for (auto [texts, expected] : cases) {
    ReverseArray(texts);
    EXPECT_EQ(texts, expected);
  }
}

TEST(SystemCodePage, MapsTheLocaleCharacterSet) {
  const std::pair<const char*, int> cases[] = {
      {"GBK", 936},          {"gb2312", 936},     {"GB18030", 936}, {"CP936", 936},
      {"UTF-8", 65001},      {"utf8", 65001},     {"ANSI_X3.4-1968", 20127},
      {"ISO-8859-1", 28591}, {"ISO-8859-15", 28605}, {"CP1252", 1252},
      {"BIG5", 950},         {"SHIFT_JIS", 932},  {"EUC-KR", 949},  {"no such set", 65001},
      {"ISO-8859-99", 65001},
  };
  for (auto [charset, codePage] : cases) {
    EXPECT_EQ(platform::posix::CodePageOfCharset(charset), codePage) << charset;
  }
}

// The code page is read once per process, so each locale gets a new one.
TEST(SystemCodePage, FollowsTheLocaleOfTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("LC_ALL", "C.UTF-8", 1);
        std::exit(platform::SystemCodePage() == 65001 && TextCodePage() == 65001 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        setenv("LC_ALL", "C", 1);
        std::exit(platform::SystemCodePage() == 20127 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(TextOrder, LeadBytesDependOnTheCodePage) {
  EXPECT_TRUE(IsLeadByte(936, 0x81));
  EXPECT_TRUE(IsLeadByte(936, 0xFE));
  EXPECT_FALSE(IsLeadByte(936, 0x80));
  EXPECT_FALSE(IsLeadByte(936, 0xFF));
  EXPECT_FALSE(IsLeadByte(936, '|'));
  EXPECT_FALSE(IsLeadByte(65001, 0xE4));
  EXPECT_FALSE(IsLeadByte(1252, 0x81));
}

}  // namespace
