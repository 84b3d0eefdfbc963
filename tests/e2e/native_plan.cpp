// The picdock of this build, as the scenarios start and recognise it.
#include "tests/e2e/harness.h"

namespace e2e {

LaunchPlan NativePlan() {
  LaunchPlan plan;
  plan.programFile = PICDOCK_PROGRAM;
  plan.command = {"{program}"};
  plan.matches = [](const WindowInfo& window, std::string_view role, pid_t pid) {
    return window.resClass == "Picdock" && window.resName == role &&
           (window.pid == 0 || window.pid == pid);
  };
  return plan;
}

}  // namespace e2e
