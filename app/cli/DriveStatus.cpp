#include "app/cli/DriveStatus.h"

#include <algorithm>

namespace cli {

DriveState driveState(const KRSMARTDrive& drive) {
  // A drive that stopped answering keeps what it said before (health is
  // unknown unless that was a finding), whatever an earlier check left.
  if (!drive.smartSupported() && !drive.driveTimedOut()) return DriveState::Unknown;
  switch (drive.driveHealth()) {
    case logs::kHealthPassed: return DriveState::Passed;
    case logs::kHealthFailing: return DriveState::Failing;
    case logs::kHealthFailed: return DriveState::Failed;
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
