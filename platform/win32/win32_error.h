// Messages that carry the system's own words about a failure.
#pragma once

#include <string>

#include "platform/win32/win32_windows_h.h"

namespace platform::win32 {

// "what: <the system's text for code>", in UTF-8.
std::string WithSystemError(const std::string& what, DWORD code = GetLastError());

// UTF-8 to UTF-16 and back; invalid sequences are replaced.
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

}  // namespace platform::win32
