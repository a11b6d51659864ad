// `tarvel defaults`: reads and writes the stored preference domains with
// the syntax of the macOS `defaults` tool:
//   read DOMAIN [KEY] | write DOMAIN KEY [-string|-bool|-int|-float] VALUE
//   delete DOMAIN [KEY] | domains
// Returns the exit status: 0 done, 1 nothing there or a bad value, 2 usage.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/PlistValue.h"

namespace cli {

// `args` are the words after "defaults".
int runDefaultsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The text `defaults read` prints for a value, nested values indented.
std::string defaultsText(const platform::PlistValue& value, int indent = 0);

}  // namespace cli
