// The program's start on Windows: the toolkit initialises itself, makes the
// program's folder the current directory, then hands over to the program.
#include "platform/toolkit.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_toolkit.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace platform;
  win32::InitialiseToolkit();
  // Relative names resolve against the program's own folder. For a drive's
  // root the run directory is "C:", which alone would name the drive's
  // current folder, so the separator goes after it.
  Text folder = RunDirectory() + kPathSeparator;
  if (!::SetCurrentDirectoryA(folder.c_str())) {
    // The program reads its pictures by full paths; it goes on.
  }
  return ProgramMain();
}
