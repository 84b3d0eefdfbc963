// The fatal error as the user sees it: a message box that names what failed.
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_toolkit.h"

namespace platform::win32 {

void ShowFatalMessage(const std::string& message) {
  std::wstring text = Utf8ToWide("picdock has to stop:\n\n" + message);
  // Task-modal and topmost: the program's own windows are topmost too, and
  // the box must not hide behind them.
  ::MessageBoxW(nullptr, text.c_str(), L"picdock",
                MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_TOPMOST | MB_SETFOREGROUND);
}

}  // namespace platform::win32
