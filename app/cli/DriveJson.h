// The JSON document of a check, for scripts:
//   {"program", "version", "status" (the exit status), "summary" (OK,
//    WARNING, CRITICAL, UNKNOWN), "messages": [...], "drives": [drive...]}
// with each drive's title, location, partitions, kind ("ata", "nvme",
// "scsi", null when smartctl named none), device type ("sat" behind an
// unknown USB bridge), whether it slept through the check, state, health,
// SMART support, last smartctl error, identity, overall health,
// capabilities, failure flags, failure reasons, notes, counters, attributes,
// error log and self-test log; an NVMe or SCSI drive has an "nvme" or "scsi"
// object in place of the ATA capabilities and logs (null). Text that is not UTF-8 is written with U+FFFD in place
// of the bad bytes, so the document always parses.
#pragma once

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>
#include <vector>

#include "engine/KRSMARTDrive.h"

namespace cli {

// Members in the order written here, as people read them.
using Json = nlohmann::ordered_json;

Json driveJson(const KRSMARTDrive& drive);

void writeCheckDocument(std::ostream& out, const std::vector<KRSMARTDrive>& drives,
                        const std::vector<std::string>& messages, int status);

}  // namespace cli
