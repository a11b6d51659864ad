// The drive commands of the command line: save raw data, start or abort a
// self-test, the smartctl version, free smartctl options.
#pragma once

#include <ostream>

#include "app/cli/Options.h"

namespace cli {

// Runs `options.command` on each drive named; returns the exit status.
int runDriveCommand(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace cli
