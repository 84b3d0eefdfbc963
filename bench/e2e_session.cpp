#include "bench/e2e_session.h"

#include <cstdio>
#include <exception>
#include <stdexcept>

namespace e2ebench {

ProgramSession::ProgramSession(const std::vector<e2e::PictureFile>& pictures,
                               e2e::ServerOptions options)
    : server_(std::make_unique<e2e::XServer>(options)) {
  server_->MovePointer(97, MiddleY());
  program_ = std::make_unique<e2e::RunningProgram>(*server_, e2e::NativePlan(), pictures);
  const int screenHeight = server_->Height();
  auto panel = program_->WaitForWindowState("panel", [=](const e2e::WindowInfo& w) {
    return w.viewable && w.rect.left == 0 &&
           w.rect.top == e2e::CentredTop(screenHeight, w.rect.height);
  });
  if (!panel || !panel->viewable || panel->rect.left != 0)
    throw std::runtime_error("picdock showed no panel at the left edge; it is " +
                             e2e::Describe(program_->WaitForExit(e2e::Milliseconds(0))) +
                             "; its output:\n" + program_->Output());
  panel_ = *panel;
  probe_ = std::make_unique<ScreenProbe>(server_->DisplayName());
}

void ProgramSession::PointerTo(int x, int y, int panelLeft) {
  probe_->MovePointer(x, y);
  auto took = MillisecondsUntil(Clock::now(),
                                [&] {
                                  auto rect = probe_->Geometry(panel_.id);
                                  return rect && rect->left == panelLeft;
                                },
                                {std::chrono::milliseconds(1), e2e::kPatience});
  if (!took)
    throw std::runtime_error("the panel never reached left " + std::to_string(panelLeft) +
                             " with the pointer at (" + std::to_string(x) + "," +
                             std::to_string(y) + ")");
}

int IntArgument(int argc, char** argv, const std::string& name, int fallback) {
  const std::string prefix = name + "=";
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind(prefix, 0) == 0) return std::stoi(argument.substr(prefix.size()));
  }
  return fallback;
}

int RunBenchmark(const std::function<int()>& body) {
  try {
    return body();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "benchmark stopped: %s\n", error.what());
    return 2;
  }
}

}  // namespace e2ebench
