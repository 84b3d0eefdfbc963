// The program's start on X: the toolkit initialises itself, then hands over
// to the program's entry.
#include <unistd.h>

#include <clocale>

#include "platform/posix/program.h"
#include "platform/posix/thread_queue.h"
#include "platform/toolkit.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_picture_box.h"
#include "platform/x11/x11_windows.h"

int main() {
  using namespace platform;
  std::setlocale(LC_CTYPE, "");
  posix::SetUiThread(CurrentThreadId());
  // Relative names resolve against the program's own folder.
  Text folder = posix::ExecutableFolder();
  if (chdir(folder.empty() ? "/" : folder.c_str()) != 0) {
    // Nothing the program reads depends on it more than on its full paths.
  }
  if (!x11::Open()) FatalError("cannot open the X display \"" + Text(XDisplayName(nullptr)) + "\"");
  posix::SetSystemEventSource({ConnectionNumber(x11::X().display), x11::AnimationTimerFd(),
                               x11::CollectEvents});
  return ProgramMain();
}
