#include <cstdio>

#include "platform/Exception.h"
#include "tests/engine/DriveFixtures.h"

using drive_fixtures::Args;
using drive_fixtures::capabilities;
using drive_fixtures::DriveTest;

namespace {
const Args kCaps{"-c", "/dev/sda"};
}  // namespace

class Capabilities : public DriveTest {
 protected:
  // A fresh passed drive that has read `body` as its capabilities.
  KRSMARTDrive parse(const std::string& body) {
    KRSMARTDrive d;
    d.setLocation("/dev/sda");
    d.setBundlePath(fake.bundlePath());
    answer({"-H", "/dev/sda"}, drive_fixtures::kHealthPassed);
    d.parseHealth();
    answer(kCaps, body);
    d.parseCapabilities();
    return d;
  }
  static std::string status(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%4d", value);
    return buf;
  }
};

TEST_F(Capabilities, ReadsEveryValue) {
  answer(kCaps, capabilities());
  drive.parseCapabilities();
  EXPECT_EQ(drive.driveOfflineDataStatus(), 0x82u);
  EXPECT_EQ(drive.driveSelfTestStatus(), 0);
  EXPECT_EQ(drive.driveOfflineDataCollectionTime(), 7380);
  EXPECT_EQ(drive.driveDataCapabilities(), 0x7bu);
  EXPECT_EQ(drive.driveSMARTCapabilities(), 3u);
  EXPECT_EQ(drive.driveErrorLoggingCapabilities(), 1u);
  EXPECT_TRUE(drive.driveGeneralPurposeLogging());
  EXPECT_EQ(drive.driveShortSelfTestTime(), 2);
  EXPECT_EQ(drive.driveExtendedSelfTestTime(), 76);
  EXPECT_EQ(drive.driveConveyanceSelfTestTime(), 5);
  EXPECT_EQ(drive.driveOfflineDataCollectionActivity(), "was completed without error");
}

TEST_F(Capabilities, CapabilityBits) {
  using Get = bool (KRSMARTDrive::*)() const;
  // Each accessor against the single bit it reads.
  const std::pair<Get, int> dataBits[] = {
      {&KRSMARTDrive::driveSMARTExecuteOfflineImmediate, 0}, {&KRSMARTDrive::driveAutoOfflineDataCollection, 1},
      {&KRSMARTDrive::driveAbortOfflineCollection, 2},       {&KRSMARTDrive::driveOfflineSurfaceScan, 3},
      {&KRSMARTDrive::driveSelfTest, 4},                     {&KRSMARTDrive::driveConveyanceSelfTest, 5},
      {&KRSMARTDrive::driveSelectiveSelfTest, 6},
  };
  for (const auto& [get, bit] : dataBits) {
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02x", 1 << bit);
    KRSMARTDrive d = parse(capabilities("0x02", "   0", byte));
    for (const auto& [other, otherBit] : dataBits) EXPECT_EQ((d.*other)(), otherBit == bit) << byte << " " << otherBit;
  }
  EXPECT_TRUE(parse(capabilities("0x80")).driveAutoOfflineDataCollectionEnable());
  EXPECT_FALSE(parse(capabilities("0x7f")).driveAutoOfflineDataCollectionEnable());

  KRSMARTDrive a = parse(capabilities());
  EXPECT_TRUE(a.driveAutoSavingSMARTData() && a.driveSavesSMARTDataPowerSave() && a.driveSMARTAutoSaveTimer());
  EXPECT_TRUE(a.driveErrorLogging());
  KRSMARTDrive c = parse("SMART capabilities:            (0x0002)\t\nError logging capability:        (0x00)\t\n"
                         "No General Purpose Logging support.\n");
  EXPECT_TRUE(c.driveAutoSavingSMARTData() && c.driveSMARTAutoSaveTimer());
  EXPECT_FALSE(c.driveSavesSMARTDataPowerSave() || c.driveErrorLogging() || c.driveGeneralPurposeLogging());
  EXPECT_FALSE(parse("SMART capabilities:            (0x0000)\t\n").driveAutoSavingSMARTData());
}

TEST_F(Capabilities, OfflineActivityKeys) {
  const std::pair<const char*, const char*> cases[] = {
      {"0x00", "ODCANeverStarted"},   {"0x80", "ODCANeverStarted"},     {"0x82", "ODCANoError"},
      {"0x03", "ODCAInProgress"},     {"0x83", "ODCASuspendedCommand"}, {"0x04", "ODCASuspendedCommand"},
      {"0x05", "ODCAAbortedCommand"}, {"0x06", "ODCAAbortedDevice"},    {"0x01", "ODCAReserved"},
      {"0x07", "ODCAReserved"},       {"0x3f", "ODCAReserved"},         {"0x40", "ODCAVenderSpecific"},
      {"0xff", "ODCAVenderSpecific"},
  };
  for (const auto& [status, key] : cases) mem.strings->entries[{"Main", key}] = key;
  for (const auto& [status, key] : cases)
    EXPECT_EQ(parse(capabilities(status)).driveOfflineDataCollectionActivity(), key) << status;
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
  for (const auto& c : cases) mem.strings->entries[{"Main", c.text}] = c.text;
  mem.strings->entries[{"Main", "STInProgress"}] = "%d%% left";
  for (const auto& c : cases) {
    KRSMARTDrive d = parse(capabilities("0x82", status(c.status)));
    ASSERT_EQ(d.driveSelfTestStatus(), c.status);
    EXPECT_EQ(d.driveSelfTestExecution(), c.text) << c.status;
    EXPECT_EQ(d.driveSelfTestExecutionInProgress(), c.inProgress) << c.status;
    EXPECT_EQ(d.driveSelfTestExecutionRemaining(), c.remaining) << c.status;
  }
  mem.strings->entries.clear();
  EXPECT_EQ(parse(capabilities("0x82", " 249")).driveSelfTestExecution(),
            "Self-test routine in progress... 90% of test remaining.");
}

TEST_F(Capabilities, FailedTestRule) {
  struct Case {
    int status;
    bool failedTestIsNew;
    bool alreadyFailed;
    int32_t health;
    bool marked;
  } cases[] = {
      {121, false, false, kHealthFailing, true},  // read element
      {48, false, false, kHealthFailing, true},   // unknown error
      {112, false, false, kHealthFailing, true},  // read element, 0% left
      {121, true, false, kHealthPassed, false},
      {121, false, true, kHealthFailed, false},
      {128, false, false, kHealthPassed, false},  // handling damage is not counted
      {33, false, false, kHealthPassed, false},
      {249, false, false, kHealthPassed, false},
  };
  for (const auto& c : cases) {
    mem.platform.preferences->setBool("FailedTestIsNew", c.failedTestIsNew);
    KRSMARTDrive d;
    d.setLocation("/dev/sda");
    d.setBundlePath(fake.bundlePath());
    answer({"-H", "/dev/sda"}, c.alreadyFailed ? "=== START ===\ntest result: FAILED!\n" : drive_fixtures::kHealthPassed);
    d.parseHealth();
    answer(kCaps, capabilities("0x82", status(c.status)));
    d.parseCapabilities();
    EXPECT_EQ(d.driveHealth(), c.health) << c.status;
    EXPECT_EQ(d.driveSelftestFail(), c.marked) << c.status;
    auto reasons = d.getFailureReasonsText();
    EXPECT_EQ(reasons ? *reasons : std::vector<std::string>{},
              c.marked ? std::vector<std::string>{"Failed selftest status"} : std::vector<std::string>{})
        << c.status;
  }
}

TEST_F(Capabilities, FailureReasonsAccumulateOverUpdates) {
  answer({"-i", "/dev/sda"}, drive_fixtures::kIdentity);
  answer({"-H", "/dev/sda"}, drive_fixtures::kHealthPassed);
  answer(kCaps, capabilities("0x82", " 121"));
  drive.updateInfo();
  drive.updateInfo();
  EXPECT_EQ(drive.driveHealth(), kHealthFailing);
  EXPECT_EQ(drive.getFailureReasonsText(),
            (std::vector<std::string>{"Failed selftest status", "Failed selftest status"}));
}

TEST_F(Capabilities, AnswerCutAfterAFirstLabelEndsTheParse) {
  drive.setDebugState(true);
  answer(kCaps, capabilities("0x82", " 249"));
  drive.parseCapabilities();
  mem.log->clear();
  drive.setSelfTestInProgress(true);
  answer(kCaps, "Offline data collection status:  (0x00)\tnever\n"
                "Short self-test routine \nrecommended polling time: \t (   9) minutes.\n"
                "Conveyance self-test routine\n");
  drive.parseCapabilities();
  EXPECT_TRUE(mem.log->contains("Warning: Capabilities did not return all data. Please rescan."));
  EXPECT_FALSE(mem.log->contains("Done parsing capabilites."));
  EXPECT_FALSE(drive.driveTestInProgress());
  EXPECT_EQ(drive.driveOfflineDataStatus(), 0u);
  EXPECT_EQ(drive.driveShortSelfTestTime(), 9);
  EXPECT_EQ(drive.driveSelfTestStatus(), 249);  // not in this answer: kept
  EXPECT_EQ(drive.driveConveyanceSelfTestTime(), 5);
  EXPECT_EQ(drive.driveDataCapabilities(), 0x7bu);
}

TEST_F(Capabilities, TwoLineRowWaitsForItsSecondLabel) {
  // The first "Short self-test routine" is not followed by the polling time.
  KRSMARTDrive d = parse("Short self-test routine\nsomething else\nShort self-test routine again\n"
                         "recommended polling time: \t (  11) minutes.\nend\n");
  EXPECT_EQ(d.driveShortSelfTestTime(), 11);
}

TEST_F(Capabilities, NothingBackKeepsEverything) {
  answer(kCaps, capabilities("0x82", " 249"));
  drive.parseCapabilities();
  drive.setSelfTestInProgress(true);
  fake.answer(kCaps, "\xff\n");
  drive.parseCapabilities();
  EXPECT_TRUE(drive.driveTestInProgress());
  EXPECT_EQ(drive.driveSelfTestStatus(), 249);
}

TEST_F(Capabilities, OneLineRowWithoutWindowRaises) {
  for (const char* body : {"Self-test execution status:      no number\n", "SMART capabilities:     (0x3)\n"}) {
    answer(kCaps, body);
    EXPECT_THROW(drive.parseCapabilities(), platform::Exception) << body;
  }
}
