// The name a drive goes by in notifications, e-mail lines, the drive list
// file and the command line's output.
#pragma once

#include <string>

#include "engine/KRSMARTDrive.h"

namespace monitor {

// Its single volume name, else "disk0 with partitions A, B, and C" (and
// "disk0 with partitions " with a trailing blank when it has no volume).
std::string driveTitle(const KRSMARTDrive& drive);

}  // namespace monitor
