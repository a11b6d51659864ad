// The lines of one smartctl answer, as the command runner hands them to the
// parsers: line 0 as printed, later lines without leading TAB/LF/CR and
// without empty ones. Every parser counts lines in this list.
#pragma once

#include <string>
#include <vector>

namespace logs {

using OutputLines = std::vector<std::string>;

}  // namespace logs
