// What the command line shows of an NVMe or SAS/SCSI drive beyond the lines
// every drive has: the values of its health log and logs, as JSON and as
// the lines of --info.
#pragma once

#include <string>
#include <vector>

#include "app/cli/DriveJson.h"

namespace cli {

// {"nvme": {...}} or {"scsi": {...}}: identity, health log, error log and
// self-test log, absent values null. Empty for other drives.
Json kindJson(const KRSMARTDrive& drive);

// The "counters" of an NVMe or SCSI drive: power-on hours and temperature
// where it has them, -1 otherwise, as for an ATA drive without them.
Json kindCounters(const KRSMARTDrive& drive);

// "Kind: NVMe", then its version or transport and each health value read.
std::vector<std::string> kindDetails(const KRSMARTDrive& drive);

}  // namespace cli
