// `tarvel notify NAME [OBJECT]`: posts one distributed notification, such
// as "TRPrefsChanged" after `tarvel defaults write` or "TRQuit", to the
// user's running monitor. Returns the exit status: 0 posted, 1 no session
// bus, 2 usage.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

// `args` are the words after "notify".
int runNotifyCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli
