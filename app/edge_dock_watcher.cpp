// The edge-docking watcher: tucks the panel off the left edge while the
// pointer is away from it and brings it back when the pointer touches the
// strip that stays on the screen.
#include "app/handlers.h"
#include "app/window_definitions.h"
#include "platform/toolkit.h"
#include "support/wait_with_messages.h"

namespace {

constexpr int kStripLeftOnScreen = 3;
constexpr double kEpsilon = 0.0000001;

// Each test reads the pointer and the panel afresh. The far column and row
// (x = left + width, y = top + height) count as inside.
bool PointerOutsidePanel() {
  using namespace platform;
  if (MouseX() < Left(PanelWindow)) return true;
  if (MouseX() - static_cast<double>(Left(PanelWindow) + Width(PanelWindow)) > kEpsilon) return true;
  if (MouseY() < Top(PanelWindow)) return true;
  if (MouseY() - static_cast<double>(Top(PanelWindow) + Height(PanelWindow)) > kEpsilon) return true;
  return false;
}

}  // namespace

void EdgeDockWatcher() {
  using namespace platform;
  // Runs for the life of the program; the end sequence stops it before any
  // window is destroyed.
  while (ThreadShouldRun()) {
    if (PointerOutsidePanel()) {
      if (Left(PanelWindow) <= 0) Move(PanelWindow, kStripLeftOnScreen - Width(PanelWindow));
      SetVisible(PreviewWindow, false);
    } else if (Left(PanelWindow) <= 0) {
      Move(PanelWindow, 0);
    }
    WaitWithMessages(100, 0);
  }
}
