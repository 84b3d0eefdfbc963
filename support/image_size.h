// Measuring pictures handed over as bytes, or as the bytes of a file name.
#pragma once

#include "support/text.h"

// 0 when the picture can't be measured.
int GetImageHeight(const ByteData& picture);
int GetImageWidth(const ByteData& picture);

// UTF-16 little-endian through code page 936, ending in one zero unit; empty
// for the empty text.
ByteData ToWideText(const Text& text, bool trim = false);
ByteData BytesToWide(const ByteData& bytes, int codePage);

// True when `path` names an existing entry that is not a folder. "*" and "?"
// make it a pattern; the answer then concerns the first match.
bool FileExists(const Text& path);
