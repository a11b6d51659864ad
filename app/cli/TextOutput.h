// The plain-text result of a check: one line per drive, its reasons
// beneath, and optionally its full report.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "engine/KRSMARTDrive.h"

namespace cli {

// What stands under a drive's state line: its failure reasons, and why a
// drive of unknown state could not be judged.
std::vector<std::string> driveNotes(const KRSMARTDrive& drive);

// What was read of a drive: identity, health, the decoded self-test and
// offline collection status, its capabilities and smartctl's last error.
std::vector<std::string> driveDetails(const KRSMARTDrive& drive);

void printDrives(std::ostream& out, std::vector<KRSMARTDrive>& drives, bool fullReport, bool details);

}  // namespace cli
