#include "support/text_order.h"

#include <atomic>

#include "platform/system.h"

namespace {

std::atomic<int> codePageOverride{0};

// The value of the character that starts at `at`, and where the next one
// starts. A lead byte with nothing after it reads as the end of the text,
// and so does the end itself.
unsigned ReadCharacter(int codePage, const Text& text, std::size_t& at) {
  if (at >= text.size()) return 0;
  auto byte = static_cast<unsigned char>(text[at]);
  if (IsLeadByte(codePage, byte)) {
    if (at + 1 >= text.size()) {
      at = text.size();
      return 0;
    }
    auto second = static_cast<unsigned char>(text[at + 1]);
    at += 2;
    return byte * 256u + second;
  }
  at += 1;
  return byte;
}

// ASCII letters only: the second byte of a double-byte character can be a
// letter's byte and must stay as it is.
Text UpperCased(const Text& text) {
  int codePage = TextCodePage();
  Text copy;
  copy.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(codePage, byte)) {
      if (i + 1 >= text.size()) break;
      copy += text[i];
      copy += text[++i];
    } else if (byte >= 'a' && byte <= 'z') {
      copy += static_cast<char>(byte - 0x20);
    } else {
      copy += text[i];
    }
  }
  return copy;
}

int CompareUpperCased(const Text& a, const Text& b) {
  return CompareTexts(UpperCased(a), UpperCased(b));
}

}  // namespace

int TextCodePage() {
  int chosen = codePageOverride.load(std::memory_order_relaxed);
  return chosen != 0 ? chosen : platform::SystemCodePage();
}

void SetTextCodePage(int codePage) { codePageOverride.store(codePage, std::memory_order_relaxed); }

bool IsLeadByte(int codePage, unsigned char byte) {
  switch (codePage) {
    case 936:  // GBK
    case 949:  // Unified Hangul
    case 950:  // Big5
      return byte >= 0x81 && byte <= 0xFE;
    case 932:  // Shift JIS: the single-byte katakana lie between its lead ranges
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    default:  // UTF-8 and single-byte code pages: byte order is character order
      return false;
  }
}

int CompareTexts(const Text& a, const Text& b) {
  int codePage = TextCodePage();
  std::size_t i = 0;
  std::size_t j = 0;
  for (;;) {
    unsigned x = ReadCharacter(codePage, a, i);
    unsigned y = ReadCharacter(codePage, b, j);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

void SortTextArray(TextArray& texts, bool descending, bool caseSensitive) {
  auto compare = caseSensitive ? CompareTexts : CompareUpperCased;
  std::vector<Text> working = texts.Texts();
  texts.Empty();

  for (const Text& x : working) {
    int n = texts.Count();
    if (n == 0) {
      texts.Insert(1, x);
      continue;
    }
    int lo = 1;
    int hi = n;
    int mid = (hi + lo) / 2;
    if (compare(x, texts.At(n)) >= 0) {
      texts.Append(x);
      continue;
    }
    if (compare(x, texts.At(1)) <= 0) {
      texts.Insert(1, x);
      continue;
    }
    // Here P[1] < x < P[n]. The search stops early only on the very same
    // bytes; a text merely equal under the case-insensitive rule goes on
    // narrowing, which decides where B lands among b's.
    while (hi - lo >= 2) {
      if (x == texts.At(mid)) break;
      if (compare(x, texts.At(mid)) < 0) {
        hi = mid;
      } else {
        lo = mid;
      }
      mid = (hi + lo) / 2;
    }
    if (compare(x, texts.At(mid)) > 0) {
      texts.Insert(mid + 1, x);
    } else {
      texts.Insert(mid, x);
    }
  }

  if (descending) ReverseArray(texts);
}

void ReverseArray(TextArray& texts) {
  int n = texts.Count();
  for (int i = 1; i <= n / 2; ++i) texts.Exchange(i, n + 1 - i);
}
