// What the tests of the program's handlers share: a clean null toolkit for
// every test, a real folder of picture files, and waits that fail a test
// rather than hang it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/null/null_layered_record.h"
#include "support/text.h"
#include "tests/fixtures/temp_folder.h"

namespace apptest {

using namespace std::chrono_literals;

// A temporary folder of pictures, the run directory of a test.
class PictureFolder : public TempFolder {
 public:
  std::string PathOf(const std::string& name) const { return *this / name; }

  // An empty file, where only the name matters.
  void Empty(const std::string& name) const;
  void Write(const std::string& name, const ByteData& bytes) const;
  void Remove(const std::string& name) const;
};

// Every test starts from a clean toolkit and clean program values, and the
// program's threads are stopped and joined when it ends.
class AppTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Loads PanelWindow with `folder` as the run directory on a screen
  // `screenHeight` tall: the panel set-up runs and starts the watcher.
  static void LoadPanel(const PictureFolder& folder, int screenHeight);
};

// Polls until `condition` holds or a generous deadline has passed; true when
// it held. The deadline only turns a hang into a failure.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::seconds deadline = 10s);

// Ends the test program with a message when the guarded scope has not been
// left within a generous time: for calls that would block for ever when
// wrong, such as an event loop that nothing ends.
class HangGuard {
 public:
  explicit HangGuard(std::string what, std::chrono::seconds limit = 30s);
  ~HangGuard();
  HangGuard(const HangGuard&) = delete;
  HangGuard& operator=(const HangGuard&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable finished_;
  bool done_ = false;
  std::thread watchdog_;
};

// The watcher's own acts in the record: moving the panel and hiding the
// preview. Nothing else in the program writes either.
bool IsWatcherLine(const std::string& line);
std::vector<std::string> WithoutWatcherLines(const std::vector<std::string>& lines);

}  // namespace apptest

namespace platform::null {
void PrintTo(const LayeredCall& call, std::ostream* out);
}
