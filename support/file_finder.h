// Finding files in a folder by a list of wildcard patterns.
#pragma once

#include "support/text.h"

// Stores the names of the files in `folder` that match any pattern of
// `patternList` ("*.jpg|*.png") in `result` and returns its element count.
// prefixFolder puts the folder in front of each name, sortNames orders the
// array after each folder, recurse keeps what `result` held and walks the
// sub-folders too. Pending messages are dispatched after every stored name and
// every searched sub-folder.
int FindFiles(const Text& folder, const Text& patternList, TextArray& result,
              bool prefixFolder = false, bool sortNames = false, bool recurse = false);

// Dispatches every message waiting for the calling thread; never waits.
void PumpPendingMessages();
