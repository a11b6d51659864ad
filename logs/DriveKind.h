// Tells from smartctl's answer (usually the one to "-i") what kind of drive
// answered, so that the drive record picks the right parsers and rules.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kinds {

enum class DriveKind {
  Unknown,          // no answer that names a kind (an open failure, an empty answer)
  Ata,              // ATA/SATA, also behind a USB bridge smartctl knows
  Nvme,
  Scsi,             // SAS/SCSI, also a USB disk that smartctl talks to as SCSI
  NeedsDeviceType,  // "Unable to detect device type" or an unknown USB bridge: retry once with "-d sat"
  NoSmart,          // answered, but the device has no SMART (a SCSI disk without it, a failed retry)
  Standby,          // "-n standby" found the device asleep
};

struct KindAnswer {
  DriveKind kind = DriveKind::Unknown;
  // smartctl's own words for the three kinds that are no drive answer
  // ("/dev/mmcblk0: Unable to detect device type", "Device is in STANDBY
  // mode, exit(2)"), empty otherwise.
  std::string message;
};

KindAnswer detectDriveKind(const std::vector<std::string>& lines);

// smartctl's own line when "-n standby" found the device asleep ("Device is
// in STANDBY mode, exit(2)"); such an answer holds nothing else.
std::optional<std::string> standbyMessage(const std::vector<std::string>& lines);

// The kind after the "-d sat" retry of a NeedsDeviceType answer: ATA when
// smartctl could read the drive through the bridge, NoSmart otherwise.
KindAnswer afterSatRetry(const std::vector<std::string>& retryLines);

// "ata", "nvme", "scsi" for the JSON; empty for the others.
std::string kindName(DriveKind kind);

}  // namespace kinds
