// The process-wide values of the program. Main thread only.
#pragma once

#include "support/text.h"

extern Text ProgramFolder;  // the executable's folder and one separator
extern int ScreenHeight;    // of the primary display, read at set-up
