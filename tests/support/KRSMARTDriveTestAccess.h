// Sets drive fields that only smartctl parsing steps fill, for tests of the
// code that reads drive records (the monitor) without those steps.
#pragma once

#include <optional>
#include <string>

#include "engine/KRSMARTDrive.h"

struct KRSMARTDriveTestAccess {
  static void setHealth(KRSMARTDrive& drive, int32_t health) { drive.health = health; }
  static void setIdentity(KRSMARTDrive& drive, std::optional<std::string> model, std::optional<std::string> capacity,
                          std::optional<std::string> serialNumber) {
    drive.model = std::move(model);
    drive.capacity = std::move(capacity);
    drive.serialNumber = std::move(serialNumber);
  }
};
