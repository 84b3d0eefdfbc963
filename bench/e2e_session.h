// One run of the real program for an end-to-end benchmark: a virtual screen
// (Xvfb, no window manager), picdock started beside `pictures`, and the
// panel found once it is out at the left edge. The pointer starts inside
// the panel beside its list, so the panel stays out and no row is hovered.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/e2e_screen_probe.h"
#include "tests/e2e/harness.h"

namespace e2ebench {

class ProgramSession {
 public:
  explicit ProgramSession(const std::vector<e2e::PictureFile>& pictures,
                          e2e::ServerOptions options = {});

  e2e::XServer& Server() { return *server_; }
  e2e::RunningProgram& Program() { return *program_; }
  ScreenProbe& Probe() { return *probe_; }
  // The panel as it first stood, out at left 0.
  const e2e::WindowInfo& Panel() const { return panel_; }
  pid_t Pid() const { return program_->Pid(); }

  // Moves the pointer and waits until the panel's left edge is `panelLeft`;
  // throws when it never gets there.
  void PointerTo(int x, int y, int panelLeft);
  // The screen's height less the bottom allowance, halved: the panel's centre.
  int MiddleY() const { return (server_->Height() - 30) / 2; }

 private:
  std::unique_ptr<e2e::XServer> server_;
  std::unique_ptr<e2e::RunningProgram> program_;
  std::unique_ptr<ScreenProbe> probe_;
  e2e::WindowInfo panel_;
};

// The value of "--name=value" among the arguments, or `fallback`.
int IntArgument(int argc, char** argv, const std::string& name, int fallback);

// Runs a benchmark's body; an exception ends it with its message and exit
// code 2, after the harness has stopped the program and the server and
// removed its folder.
int RunBenchmark(const std::function<int()>& body);

}  // namespace e2ebench
