// How the command line names a drive and judges it, and the exit status of
// a check.
#pragma once

#include <string>
#include <vector>

#include "engine/KRSMARTDrive.h"

namespace cli {

enum class DriveState { Passed, Failing, Failed, Unknown };

// A drive that smartctl could not read has no health to go by: Unknown.
DriveState driveState(const KRSMARTDrive& drive);
const char* stateWord(DriveState state);

// The name a drive goes by in notifications and reports: its single volume
// name, else "<disk> with partitions A, B, and C".
std::string driveTitle(const KRSMARTDrive& drive);

// What the check found besides the drives' own states.
struct CheckOutcome {
  std::vector<DriveState> states;
  bool couldNotCheck = false;  // no smartctl, scan failed, no drive
};

// 2 some drive failed, else 1 some drive failing, else 3 could not check
// (including a drive of unknown health), else 0.
int exitStatus(const CheckOutcome& outcome);
// The monitoring-plugin word of an exit status: OK, WARNING, CRITICAL, UNKNOWN.
const char* statusWord(int status);

}  // namespace cli
