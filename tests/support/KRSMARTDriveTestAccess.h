// Sets drive fields that only smartctl parsing steps fill, for tests of the
// code that reads drive records without those steps.
#pragma once

#include <optional>
#include <string>

#include "engine/KRSMARTDrive.h"

struct KRSMARTDriveTestAccess {
  static void setHealth(KRSMARTDrive& drive, int32_t health) { drive.findings.health = health; }
  static void setCapabilities(KRSMARTDrive& drive, const logs::AtaCapabilities& capabilities) {
    drive.capabilities = capabilities;
  }
};
