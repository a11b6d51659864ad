#include <gtest/gtest.h>

#include "logs/DriveKind.h"
#include "tests/kinds/CaptureFiles.h"

namespace {

using kinds::DriveKind;

TEST(DriveKind, RealAnswersNameTheirKind) {
  struct Case {
    const char* file;
    DriveKind kind;
    const char* message;
  };
  const Case cases[] = {
      {"nvme/smartctl-7.2-CT4000P3PSSD8-failed-spare.txt", DriveKind::Nvme, ""},
      {"nvme/smartctl-7.0-MZVLB512HAJQ-i-dot-separators.txt", DriveKind::Nvme, ""},
      {"nvme/smartctl-7.0-MZVLB512HAJQ-H-failed.txt", DriveKind::Nvme, ""},
      {"nvme/smartctl-6.6-intel-A-blank-separators.txt", DriveKind::Nvme, ""},
      {"nvme/smartctl-6.5-TS128GMTE850-warning-09.txt", DriveKind::Nvme, ""},
      {"nvme/handmade-7.2-CT4000P3PSSD8-crlf.txt", DriveKind::Nvme, ""},
      {"scsi/smartctl-6.6-HUH721212AL5204-ok.txt", DriveKind::Scsi, ""},
      {"scsi/smartctl-5.41-ST3300657SS-failure-prediction.txt", DriveKind::Scsi, ""},
      {"scsi/smartctl-6.6-H-failure-prediction.txt", DriveKind::Scsi, ""},
      {"scsi/handmade-7.3-usb-as-scsi-no-smart.txt", DriveKind::NoSmart,
       "SMART support is:     Unavailable - device lacks SMART capability."},
      {"other/smartctl-6.6-unknown-usb-bridge-d-sat.txt", DriveKind::Ata, ""},
      {"other/smartctl-6.6-unknown-usb-bridge.txt", DriveKind::NeedsDeviceType,
       "/dev/sda: Unknown USB bridge [0x1058:0x25a0 (0x1004)]"},
      {"other/smartctl-7.4-mmcblk0-unable-to-detect.txt", DriveKind::NeedsDeviceType,
       "/dev/mmcblk0: Unable to detect device type"},
      {"other/handmade-7.4-vda-unable-to-detect.txt", DriveKind::NeedsDeviceType,
       "/dev/vda: Unable to detect device type"},
      {"other/smartctl-7.3-standby.txt", DriveKind::Standby, "Device is in STANDBY mode, exit(2)"},
  };
  for (const Case& c : cases) {
    const kinds::KindAnswer a = kinds::detectDriveKind(kinds_test::runnerLines(c.file));
    EXPECT_EQ(a.kind, c.kind) << c.file;
    EXPECT_EQ(a.message, c.message) << c.file;
  }
}

TEST(DriveKind, TheSatRetryDecidesBetweenAtaAndNoSmart) {
  EXPECT_EQ(kinds::afterSatRetry(kinds_test::runnerLines("other/smartctl-6.6-unknown-usb-bridge-d-sat.txt")).kind,
            DriveKind::Ata);
  const struct {
    const char* file;
    const char* message;
  } noSmart[] = {
      {"other/handmade-7.4-vda-d-sat-open-failed.txt",
       "Read Device Identity failed: scsi error unsupported field in scsi command"},
      {"other/smartctl-7.4-mmcblk0-unable-to-detect.txt", "/dev/mmcblk0: Unable to detect device type"},
  };
  for (const auto& c : noSmart) {
    const kinds::KindAnswer a = kinds::afterSatRetry(kinds_test::runnerLines(c.file));
    EXPECT_EQ(a.kind, DriveKind::NoSmart) << c.file;
    EXPECT_EQ(a.message, c.message) << c.file;
  }
  const kinds::KindAnswer open = kinds::afterSatRetry(
      {"smartctl 7.4", "Copyright", "Smartctl open device: /dev/vda [SAT] failed: Invalid argument"});
  EXPECT_EQ(open.kind, DriveKind::NoSmart);
  EXPECT_EQ(open.message, "Smartctl open device: /dev/vda [SAT] failed: Invalid argument");
}

TEST(DriveKind, AnAnswerWithoutAKindIsUnknown) {
  EXPECT_EQ(kinds::detectDriveKind({}).kind, DriveKind::Unknown);
  EXPECT_EQ(kinds::detectDriveKind({"smartctl 7.4", "Copyright", "Smartctl open device: /dev/sdq failed: No such device"})
                .kind,
            DriveKind::Unknown);
  EXPECT_EQ(kinds::kindName(DriveKind::Nvme), "nvme");
  EXPECT_EQ(kinds::kindName(DriveKind::NoSmart), "");
}

}  // namespace
