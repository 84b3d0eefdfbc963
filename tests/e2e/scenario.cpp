#include "tests/e2e/scenario.h"

#include <filesystem>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace e2e {

namespace {
std::optional<LaunchPlan>& ScenarioPlan() {
  static std::optional<LaunchPlan> plan;
  return plan;
}
}  // namespace

void SetScenarioPlan(LaunchPlan plan) { ScenarioPlan() = std::move(plan); }

void Scenario::Start(ServerOptions options, const std::vector<PictureFile>& pictures) {
  screen_ = std::make_unique<XServer>(options);
  screen_->MovePointer(97, RestY());
  program_ = std::make_unique<RunningProgram>(
      *screen_, ScenarioPlan() ? *ScenarioPlan() : NativePlan(), pictures);
}

WindowInfo Scenario::ShownPanel(Milliseconds timeout) {
  // Settled: out at the left edge and centred on its own height. A panel seen
  // anywhere else on its way there would send the pointer to the wrong rows;
  // that it gets there without being seen elsewhere is a scenario of its own.
  const int screenHeight = screen_->Height();
  auto panel = program_->WaitForWindowState("panel", [=](const WindowInfo& w) {
    return w.viewable && w.rect.left == 0 && w.rect.top == CentredTop(screenHeight, w.rect.height);
  }, timeout);
  // Nothing of a scenario can be checked without its panel: stop it here.
  if (!panel)
    throw std::runtime_error("no panel window appeared; the program is " +
                             Describe(program_->WaitForExit(0ms)));
  EXPECT_TRUE(panel->viewable) << "the panel is not mapped";
  EXPECT_EQ(panel->rect.left, 0) << "the panel is not out at the left edge";
  EXPECT_EQ(panel->rect.top, CentredTop(screenHeight, panel->rect.height)) << "not centred";
  return *panel;
}

void Scenario::TearDown() {
  if (!HasFailure() || !screen_) return;
  const auto* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(test->test_suite_name()) + "." + test->name();
  for (char& c : name)
    if (c == '/') c = '-';
  std::filesystem::create_directories(ArtifactFolder());
  std::string shot = ArtifactFolder() + "/" + name + ".png";
  std::ostringstream report;
  report << "screenshot: " << (screen_->SaveScreenshot(shot) ? shot : "could not be saved") << "\n";
  report << "windows on the screen:\n";
  for (const WindowInfo& w : screen_->Windows())
    report << "  " << w.resName << "/" << w.resClass << " pid " << w.pid << " "
           << Describe(w.rect) << (w.viewable ? " viewable" : " not viewable") << "\n";
  if (program_) report << "program output:\n" << program_->Output();
  std::cerr << report.str();
}

}  // namespace e2e
