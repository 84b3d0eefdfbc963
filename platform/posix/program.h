// What the POSIX backends share of the program's life: the exit-routine list,
// the program's threads, the event loop, and the pieces of the two ends.
// Each backend provides the hooks at the bottom.
#pragma once

#include <string>

#include "support/text.h"

namespace platform::posix {

// The folder of the executable, from /proc/self/exe; "" for the root.
Text ExecutableFolder();

// The first half of the end sequence: stops the program's threads, runs the
// exit routines in the order they were added and empties the list.
void RunExitSequence();

// The whole file, or empty when it can't be read or is larger than a
// picture can sensibly be (kMaxReadBytes): no file may exhaust memory.
inline constexpr long long kMaxReadBytes = 512ll << 20;
ByteData ReadFileBounded(const Text& name);

// Forgets a stop request so threads can start again (tests).
void ResetProgramThreads();

// Writes the fatal message to stderr with the program's name.
void ReportFatal(const std::string& message);

}  // namespace platform::posix
