// Sets drive fields that only smartctl parsing steps fill, for tests of the
// code that reads drive records without those steps.
#pragma once

#include <optional>
#include <string>

#include "engine/KRSMARTDrive.h"

struct KRSMARTDriveTestAccess {
  static void setHealth(KRSMARTDrive& drive, int32_t health) { drive.findings.health = health; }
  static void setIdentity(KRSMARTDrive& drive, std::optional<std::string> model, std::optional<std::string> capacity,
                          std::optional<std::string> serialNumber) {
    drive.identity.model = std::move(model);
    drive.identity.capacity = std::move(capacity);
    drive.identity.serialNumber = std::move(serialNumber);
  }
  static void setCapabilities(KRSMARTDrive& drive, const logs::AtaCapabilities& capabilities) {
    drive.capabilities = capabilities;
  }
};
