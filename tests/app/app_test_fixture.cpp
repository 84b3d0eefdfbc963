#include "tests/app/app_test_fixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "app/program_state.h"
#include "app/window_definitions.h"
#include "platform/null/null_control.h"
#include "platform/toolkit.h"
#include "tests/fixtures/picture_writers.h"

namespace apptest {

void PictureFolder::Empty(const std::string& name) const { Write(name, {}); }

void PictureFolder::Write(const std::string& name, const ByteData& bytes) const {
  fixtures::WriteFileBytes(PathOf(name), bytes);
}

void PictureFolder::Remove(const std::string& name) const {
  if (unlink(PathOf(name).c_str()) != 0) throw std::runtime_error("can't remove " + name);
}

void AppTest::SetUp() {
  platform::null::Reset();
  platform::null::ResetLayeredRecord();
  ProgramFolder.clear();
  ScreenHeight = 0;
}

void AppTest::TearDown() {
  // Stops and joins the watcher before the folder and the windows go.
  platform::null::Reset();
}

void AppTest::LoadPanel(const PictureFolder& folder, int screenHeight) {
  platform::null::SetRunDirectory(folder.Path());
  platform::null::SetScreenHeight(screenHeight);
  platform::LoadWindow(PanelWindow);
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::seconds deadline) {
  auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

HangGuard::HangGuard(std::string what, std::chrono::seconds limit)
    : watchdog_([this, what = std::move(what), limit] {
        std::unique_lock lock(mutex_);
        if (finished_.wait_for(lock, limit, [this] { return done_; })) return;
        std::fprintf(stderr, "%s has not finished after %lld s: it hangs\n", what.c_str(),
                     static_cast<long long>(limit.count()));
        std::abort();
      }) {}

HangGuard::~HangGuard() {
  {
    std::lock_guard lock(mutex_);
    done_ = true;
  }
  finished_.notify_one();
  watchdog_.join();
}

bool IsWatcherLine(const std::string& line) {
  return line.starts_with("Move(PanelWindow, ") || line == "SetVisible(PreviewWindow, false)";
}

std::vector<std::string> WithoutWatcherLines(const std::vector<std::string>& lines) {
  std::vector<std::string> kept;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(kept),
               [](const std::string& line) { return !IsWatcherLine(line); });
  return kept;
}

}  // namespace apptest

namespace platform::null {

void PrintTo(const LayeredCall& call, std::ostream* out) {
  const char* kinds[] = {"GetWindowLong", "SetWindowLong", "SetLayeredAttributes"};
  *out << kinds[static_cast<int>(call.kind)] << "(window " << call.window << ", index "
       << call.index << ", value " << call.value << ", key " << call.colourKey << ", alpha "
       << static_cast<int>(call.alpha) << ", flags " << call.flags << ")";
}

}  // namespace platform::null
