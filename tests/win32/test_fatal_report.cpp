// The tests' report of a fatal error: to stderr, where a death test reads it,
// instead of a message box that nobody would press.
#include <cstdio>

#include "platform/win32/win32_toolkit.h"

namespace platform::win32 {

void ShowFatalMessage(const std::string& message) {
  std::fprintf(stderr, "picdock: fatal error: %s\n", message.c_str());
  std::fflush(stderr);
}

}  // namespace platform::win32
