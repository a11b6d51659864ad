// Finds the running program's bundle and the user's folders (XDG).
#pragma once

#include "platform/Services.h"

namespace platform::real {

// The bundle is two folders up from the executable's "Contents/MacOS"
// folder; when the program does not run from a bundle (an installed link
// resolved elsewhere), the executable's folder stands in for it.
BundlePaths locateBundle();

// Creates the folders the system writes to; false when one cannot be made.
bool ensureWritableFolders(const BundlePaths& paths, std::string* error);

}  // namespace platform::real
