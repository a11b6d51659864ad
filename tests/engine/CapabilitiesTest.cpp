// The drive's decoders of its capability bytes.
#include <gtest/gtest.h>

#include "tests/CaseFile.h"
#include "tests/support/KRSMARTDriveTestAccess.h"
#include "tests/support/TestPlatform.h"

namespace {

class Capabilities : public testing_support::PlatformTest {
 protected:
  KRSMARTDrive with(uint32_t offlineDataStatus, int32_t selftestStatus, uint32_t dataCapabilities = 0,
                    uint32_t smartCapabilities = 0, uint32_t errorLogging = 0) {
    logs::AtaCapabilities caps;
    caps.offlineDataStatus = offlineDataStatus;
    caps.selftestStatus = selftestStatus;
    caps.dataCapabilities = dataCapabilities;
    caps.smartCapabilities = smartCapabilities;
    caps.errorLoggingCapabilities = errorLogging;
    KRSMARTDrive d;
    KRSMARTDriveTestAccess::setCapabilities(d, caps);
    return d;
  }
};

TEST_F(Capabilities, CapabilityBits) {
  using Get = bool (KRSMARTDrive::*)() const;
  // Each accessor against the single bit it reads.
  const std::pair<Get, int> dataBits[] = {
      {&KRSMARTDrive::driveSMARTExecuteOfflineImmediate, 0},
      {&KRSMARTDrive::driveAutoOfflineDataCollection, 1},
      {&KRSMARTDrive::driveAbortOfflineCollection, 2},
      {&KRSMARTDrive::driveOfflineSurfaceScan, 3},
      {&KRSMARTDrive::driveSelfTest, 4},
      {&KRSMARTDrive::driveConveyanceSelfTest, 5},
      {&KRSMARTDrive::driveSelectiveSelfTest, 6},
  };
  for (const auto& [get, bit] : dataBits) {
    KRSMARTDrive d = with(0x02, 0, 1u << bit);
    for (const auto& [other, otherBit] : dataBits) EXPECT_EQ((d.*other)(), otherBit == bit) << bit << " " << otherBit;
  }
  EXPECT_TRUE(with(0x80, 0).driveAutoOfflineDataCollectionEnable());
  EXPECT_FALSE(with(0x7f, 0).driveAutoOfflineDataCollectionEnable());

  KRSMARTDrive a = with(0x82, 0, 0x7b, 3, 1);
  EXPECT_TRUE(a.driveAutoSavingSMARTData() && a.driveSavesSMARTDataPowerSave() && a.driveSMARTAutoSaveTimer());
  EXPECT_TRUE(a.driveErrorLogging());
  KRSMARTDrive c = with(0x82, 0, 0, 2, 0);
  EXPECT_TRUE(c.driveAutoSavingSMARTData() && c.driveSMARTAutoSaveTimer());
  EXPECT_FALSE(c.driveSavesSMARTDataPowerSave() || c.driveErrorLogging());
  EXPECT_FALSE(with(0x82, 0).driveAutoSavingSMARTData());
}

// The cases of tests/engine/capabilities.txt.
TEST_F(Capabilities, OfflineActivityKeys) {
  EXPECT_EQ(with(0x82, 0).driveOfflineDataCollectionActivity(), "was completed without error");
  const auto cases = testing_support::readCases("engine/capabilities.txt", "offline");
  for (const auto& c : cases) mem.strings->entries[{"Main", c[1]}] = c[1];
  for (const auto& c : cases)
    EXPECT_EQ(with(std::stoul(c[0], nullptr, 16), 0).driveOfflineDataCollectionActivity(), c[1]) << c.line;
}

TEST_F(Capabilities, SelfTestExecutionKeys) {
  EXPECT_EQ(with(0x82, 249).driveSelfTestExecution(), "Self-test routine in progress... 90% of test remaining.");
  const auto cases = testing_support::readCases("engine/capabilities.txt", "selftest");
  for (const auto& c : cases) mem.strings->entries[{"Main", c[1]}] = c[1];
  mem.strings->entries[{"Main", "STInProgress"}] = "%d%% left";
  for (const auto& c : cases) {
    KRSMARTDrive d = with(0x82, std::stoi(c[0]));
    EXPECT_EQ(d.driveSelfTestExecution(), c[1]) << c.line;
    EXPECT_EQ(d.driveSelfTestExecutionInProgress(), c[2] == "true") << c.line;
    EXPECT_EQ(d.driveSelfTestExecutionRemaining(), std::stoi(c[3])) << c.line;
  }
}

}  // namespace
