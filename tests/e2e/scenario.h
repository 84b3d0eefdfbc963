// The GoogleTest side of the end-to-end harness: a fixture that starts a
// virtual screen and the program, and leaves a screenshot and the program's
// output behind when a scenario fails.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"

namespace e2e {

enum class Manager { None, Openbox };
inline constexpr Manager kBothManagers[] = {Manager::None, Manager::Openbox};
inline std::string ManagerName(Manager manager) {
  return manager == Manager::Openbox ? "Openbox" : "NoWindowManager";
}
inline void PrintTo(Manager manager, std::ostream* out) { *out << ManagerName(manager); }
inline std::string ManagerParamName(const testing::TestParamInfo<Manager>& info) {
  return ManagerName(info.param);
}

inline constexpr Rgb kBlack{0, 0, 0};

// The build that Scenario::Start runs: NativePlan() unless an e2e executable
// for another build sets its own plan before the tests run (the Windows build
// under Wine: tests/e2e/wine_launcher.cpp).
void SetScenarioPlan(LaunchPlan plan);

class Scenario : public testing::Test {
 protected:
  // Starts the screen and the program. The pointer waits at x 97 on the
  // height where the panel will be centred: inside the panel, so the
  // watcher leaves it out, but beside the list, so no row is hovered.
  void Start(ServerOptions options, const std::vector<PictureFile>& pictures = {});
  // The panel once it is mapped, out at left 0 and centred on the screen's
  // height. Fails the test if it never is, and ends it (by an exception) if
  // there is no panel at all.
  WindowInfo ShownPanel(Milliseconds timeout = kPatience);
  void TearDown() override;

  XServer& Screen() { return *screen_; }
  RunningProgram& Program() { return *program_; }

  // Where the pointer rests at the start (see Start).
  int RestY() const { return (screen_->Height() - 30) / 2; }

 private:
  std::unique_ptr<XServer> screen_;
  std::unique_ptr<RunningProgram> program_;
};

// The centre of list row `row` of a panel at `panelTop`, in screen pixels.
inline int RowCentreY(int panelTop, int row) { return panelTop + 20 + 18 * row + 9; }

}  // namespace e2e
