// Whether the smartctl beside the program can do its work, and what to
// tell the user when it cannot.
#pragma once

#include <optional>
#include <string>

namespace cli {

// The smartctl that drives in command-line mode run.
std::string bundledSmartctlPath();

// Why that smartctl cannot be run at all, or nothing when it can.
std::optional<std::string> smartctlProblem();

// Whether a smartctl failure text says the device could not be opened for
// lack of privileges.
bool reportsMissingPrivileges(const std::string& smartError);

// How to give smartctl the privileges it needs.
std::string privilegeHint();

}  // namespace cli
