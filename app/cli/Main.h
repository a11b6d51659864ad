// The `tarvel` program: dispatches subcommands, reads the options, sets up
// the platform and runs the check or a drive command.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

// `args` without the program name; returns the exit status.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli
