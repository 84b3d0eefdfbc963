// Ordering of text arrays: binary insertion by byte value, double-byte
// characters of the code page read as one.
#pragma once

#include "support/text.h"

// Puts `texts` in ascending order in place (descending: reversed at the end).
// With caseSensitive false, upper-cased copies are compared.
void SortTextArray(TextArray& texts, bool descending = false, bool caseSensitive = true);
void ReverseArray(TextArray& texts);
// -1, 0 or +1 as a comes before, equals or comes after b.
int CompareTexts(const Text& a, const Text& b);

// The code page that decides lead bytes: the system's unless a test set one.
int TextCodePage();
void SetTextCodePage(int codePage);  // 0 returns to the system's
bool IsLeadByte(int codePage, unsigned char byte);
