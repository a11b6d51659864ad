#include "app/cli/DriveStatus.h"

#include <algorithm>

#include "platform/Format.h"

namespace cli {

DriveState driveState(const KRSMARTDrive& drive) {
  if (!drive.smartSupported()) return DriveState::Unknown;
  switch (drive.driveHealth()) {
    case kHealthPassed: return DriveState::Passed;
    case kHealthFailing: return DriveState::Failing;
    case kHealthFailed: return DriveState::Failed;
    default: return DriveState::Unknown;
  }
}

const char* stateWord(DriveState state) {
  switch (state) {
    case DriveState::Passed: return "PASSED";
    case DriveState::Failing: return "FAILING";
    case DriveState::Failed: return "FAILED";
    case DriveState::Unknown: break;
  }
  return "UNKNOWN";
}

std::string driveTitle(const KRSMARTDrive& drive) {
  const uint64_t count = drive.drivePartitionCount();
  if (count == 1) return drive.partitionNameAtIndex(0);
  std::string title = platform::format("%@ with partitions ", drive.driveLocationID());
  for (uint64_t i = 0; i < count; ++i) {
    title += drive.partitionNameAtIndex(i);
    if (i + 2 < count) title += ", ";
    else if (i + 2 == count) title += ", and ";
  }
  return title;
}

int exitStatus(const CheckOutcome& outcome) {
  auto any = [&](DriveState s) { return std::find(outcome.states.begin(), outcome.states.end(), s) != outcome.states.end(); };
  if (any(DriveState::Failed)) return 2;
  if (any(DriveState::Failing)) return 1;
  if (outcome.couldNotCheck || outcome.states.empty() || any(DriveState::Unknown)) return 3;
  return 0;
}

const char* statusWord(int status) {
  switch (status) {
    case 0: return "OK";
    case 1: return "WARNING";
    case 2: return "CRITICAL";
    default: return "UNKNOWN";
  }
}

}  // namespace cli
