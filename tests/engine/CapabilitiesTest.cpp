// The drive's decoders of its capability bytes.
#include <gtest/gtest.h>

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

TEST_F(Capabilities, OfflineActivityKeys) {
  const std::pair<uint32_t, const char*> cases[] = {
      {0x00, "ODCANeverStarted"},   {0x80, "ODCANeverStarted"},     {0x82, "ODCANoError"},
      {0x03, "ODCAInProgress"},     {0x83, "ODCASuspendedCommand"}, {0x04, "ODCASuspendedCommand"},
      {0x05, "ODCAAbortedCommand"}, {0x06, "ODCAAbortedDevice"},    {0x01, "ODCAReserved"},
      {0x07, "ODCAReserved"},       {0x3f, "ODCAReserved"},         {0x40, "ODCAVenderSpecific"},
      {0xff, "ODCAVenderSpecific"},
  };
  EXPECT_EQ(with(0x82, 0).driveOfflineDataCollectionActivity(), "was completed without error");
  for (const auto& [status, key] : cases) mem.strings->entries[{"Main", key}] = key;
  for (const auto& [status, key] : cases)
    EXPECT_EQ(with(status, 0).driveOfflineDataCollectionActivity(), key) << status;
}

TEST_F(Capabilities, SelfTestExecutionKeys) {
  struct Case {
    int status;
    const char* text;
    bool inProgress;
    int32_t remaining;
  } cases[] = {
      {0, "STNoError", false, 0},
      {16, "STHostAborted", false, 0},
      {33, "STHostInterrupted", false, 10},
      {48, "STUnknownError", false, 0},
      {64, "STTestElementFailure", false, 0},
      {80, "STElectricalElementFailure", false, 0},
      {96, "STServoElementFailure", false, 0},
      {121, "STReadElementFailure", false, 90},
      {128, "STHandlingDamage", false, 0},
      {144, "STReserved", false, 0},
      {239, "STReserved", false, 150},
      {240, "0% left", true, 0},
      {249, "90% left", true, 90},
      {255, "150% left", true, 150},
      {256, "STReserved", false, 0},
      {-16, "STReserved", false, 0},
  };
  EXPECT_EQ(with(0x82, 249).driveSelfTestExecution(), "Self-test routine in progress... 90% of test remaining.");
  for (const auto& c : cases) mem.strings->entries[{"Main", c.text}] = c.text;
  mem.strings->entries[{"Main", "STInProgress"}] = "%d%% left";
  for (const auto& c : cases) {
    KRSMARTDrive d = with(0x82, c.status);
    EXPECT_EQ(d.driveSelfTestExecution(), c.text) << c.status;
    EXPECT_EQ(d.driveSelfTestExecutionInProgress(), c.inProgress) << c.status;
    EXPECT_EQ(d.driveSelfTestExecutionRemaining(), c.remaining) << c.status;
  }
}

}  // namespace
