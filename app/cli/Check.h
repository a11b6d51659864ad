// `tarvel` without a drive command: finds or takes the drives, updates
// each one, prints what was read and returns the exit status.
#pragma once

#include <ostream>

#include "app/cli/Options.h"
#include "discovery/NamingProfile.h"

namespace cli {

int runCheck(const Options& options, const discovery::NamingProfile& naming, std::ostream& out, std::ostream& err);

}  // namespace cli
