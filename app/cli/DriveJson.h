// The JSON document of a check, for scripts:
//   {"program", "version", "status" (the exit status), "summary" (OK,
//    WARNING, CRITICAL, UNKNOWN), "messages": [...], "drives": [drive...]}
// with each drive's title, location, partitions, state, health, SMART
// support, last smartctl error, identity, overall health, capabilities,
// failure flags, failure reasons, notes, counters, attributes, error log
// and self-test log.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/cli/Json.h"
#include "engine/KRSMARTDrive.h"

namespace cli {

void writeDrive(JsonWriter& json, const KRSMARTDrive& drive);

void writeCheckDocument(std::ostream& out, const std::vector<KRSMARTDrive>& drives,
                        const std::vector<std::string>& messages, int status);

}  // namespace cli
