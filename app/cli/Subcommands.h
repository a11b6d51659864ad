// The subcommands other parts of the system provide: `tarvel defaults ...`
// and `tarvel notify NAME [OBJECT]`.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

// The exit status when `args` (without the program name) start with a
// subcommand's name, else nothing.
std::optional<int> runSubcommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli
