// The panel set-up: the handler of PanelWindow's creation event.
#include <cmath>

#include "app/handlers.h"
#include "app/program_state.h"
#include "app/window_definitions.h"
#include "platform/toolkit.h"
#include "support/file_finder.h"
#include "support/window_opacity.h"

namespace {

constexpr const char* kPicturePatterns = "*.jpg|*.png|*.gif|*.bmp";
constexpr int kBottomAllowance = 30;

void WatcherThread() { EdgeDockWatcher(); }

}  // namespace

void PanelSetup() {
  TextArray catalogue;
  SetWindowOpacity(platform::WindowHandle(PanelWindow), 200);
  ScreenHeight = platform::ScreenHeight();
  ProgramFolder = platform::RunDirectory() + platform::kPathSeparator;

  int n = FindFiles(ProgramFolder, kPicturePatterns, catalogue, false);
  for (int i = 1; i <= n; ++i) platform::AddItem(列表框1, catalogue.At(i));

  platform::SetHeight(PanelWindow, kRowHeight * n + kButtonStripHeight);
  platform::SetHeight(列表框1, kRowHeight * n);

  double screen = platform::ScreenHeight();
  double height = platform::Height(PanelWindow);
  platform::SetTop(PanelWindow,
                   static_cast<int>(std::trunc((screen - kBottomAllowance) / 2 - height / 2)));

  platform::StartThread(WatcherThread);
  platform::LoadWindow(PreviewWindow);
}
