#include <gtest/gtest.h>

#include "logs/DriveKind.h"
#include "tests/CaseFile.h"
#include "tests/kinds/CaptureFiles.h"

namespace {

using kinds::DriveKind;

// The kind and message as a case writes them.
std::string text(const kinds::KindAnswer& a) {
  const char* names[] = {"Unknown", "Ata", "Nvme", "Scsi", "NeedsDeviceType", "NoSmart", "Standby"};
  return names[static_cast<int>(a.kind)] + std::string(" | ") + a.message;
}

TEST(DriveKind, RealAnswersNameTheirKind) {
  for (const auto& c : testing_support::readCases("kinds/rules.txt", "kind")) {
    const kinds::KindAnswer a = kinds::detectDriveKind(kinds_test::runnerLines(c[0]));
    EXPECT_EQ(text(a), c[1] + " | " + testing_support::orNone(c[2]).value_or("")) << c.line;
  }
}

TEST(DriveKind, TheSatRetryDecidesBetweenAtaAndNoSmart) {
  for (const auto& c : testing_support::readCases("kinds/rules.txt", "sat-retry")) {
    const kinds::KindAnswer a = kinds::afterSatRetry(kinds_test::runnerLines(c[0]));
    EXPECT_EQ(text(a), c[1] + " | " + testing_support::orNone(c[2]).value_or("")) << c.line;
  }
  const kinds::KindAnswer open = kinds::afterSatRetry(
      {"smartctl 7.4", "Copyright", "Smartctl open device: /dev/vda [SAT] failed: Invalid argument"});
  EXPECT_EQ(open.kind, DriveKind::NoSmart);
  EXPECT_EQ(open.message, "Smartctl open device: /dev/vda [SAT] failed: Invalid argument");
}

TEST(DriveKind, AnAnswerWithoutAKindIsUnknown) {
  EXPECT_EQ(kinds::detectDriveKind({}).kind, DriveKind::Unknown);
  EXPECT_EQ(
      kinds::detectDriveKind({"smartctl 7.4", "Copyright", "Smartctl open device: /dev/sdq failed: No such device"})
          .kind,
      DriveKind::Unknown);
  EXPECT_EQ(kinds::kindName(DriveKind::Nvme), "nvme");
  EXPECT_EQ(kinds::kindName(DriveKind::NoSmart), "");
}

}  // namespace
