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
  drive.setDebugState(true);
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
  EXPECT_EQ(drive.driveSelfTestExecution(),
            "The previous self-test routine completed without error or no self-test has ever been run.");
  for (const char* m :
       {"Parsing capabilities.", "Found offline data collection status.", "Found self-test execution status.",
        "Found offline data collection time.", "Found offline data collection capabilities.", "Found SMART capabilites.",
        "Found error logging capability.", "Found general purpose logging.", "Found short self-test time.",
        "Found long self-test time.", "Found conveyance self-test time.", "Done parsing capabilites."})
    EXPECT_TRUE(mem.log->contains(m)) << m;
}

TEST_F(Capabilities, CapabilityBits) {
  struct Case {
    const char* name;
    bool (KRSMARTDrive::*get)() const;
    bool with0x82and0x7b;
    bool with0x02and0x04;
  } cases[] = {
      {"auto offline enable", &KRSMARTDrive::driveAutoOfflineDataCollectionEnable, true, false},
      {"execute offline immediate", &KRSMARTDrive::driveSMARTExecuteOfflineImmediate, true, false},
      {"auto offline collection", &KRSMARTDrive::driveAutoOfflineDataCollection, true, false},
      {"abort offline collection", &KRSMARTDrive::driveAbortOfflineCollection, false, true},
      {"surface scan", &KRSMARTDrive::driveOfflineSurfaceScan, true, false},
      {"self-test", &KRSMARTDrive::driveSelfTest, true, false},
      {"conveyance", &KRSMARTDrive::driveConveyanceSelfTest, true, false},
      {"selective", &KRSMARTDrive::driveSelectiveSelfTest, true, false},
  };
  KRSMARTDrive a = parse(capabilities("0x82", "   0", "0x7b"));
  KRSMARTDrive b = parse(capabilities("0x02", "   0", "0x04"));
  for (const auto& c : cases) {
    EXPECT_EQ((a.*c.get)(), c.with0x82and0x7b) << c.name;
    EXPECT_EQ((b.*c.get)(), c.with0x02and0x04) << c.name;
  }
  EXPECT_TRUE(a.driveAutoSavingSMARTData());
  EXPECT_TRUE(a.driveSavesSMARTDataPowerSave());
  EXPECT_TRUE(a.driveSMARTAutoSaveTimer());
  EXPECT_TRUE(a.driveErrorLogging());

  KRSMARTDrive c = parse("SMART capabilities:            (0x0002)\t\nError logging capability:        (0x00)\t\n"
                         "No General Purpose Logging support.\n");
  EXPECT_TRUE(c.driveAutoSavingSMARTData());
  EXPECT_FALSE(c.driveSavesSMARTDataPowerSave());
  EXPECT_TRUE(c.driveSMARTAutoSaveTimer());
  EXPECT_FALSE(c.driveErrorLogging());
  EXPECT_FALSE(c.driveGeneralPurposeLogging());
  EXPECT_FALSE(parse("SMART capabilities:            (0x0000)\t\n").driveAutoSavingSMARTData());
}

TEST_F(Capabilities, OfflineActivityTexts) {
  struct Case {
    const char* status;
    const char* text;
  } cases[] = {
      {"0x00", "was never started"},
      {"0x80", "was never started"},
      {"0x02", "was completed without error"},
      {"0x82", "was completed without error"},
      {"0x03", "is in progress"},
      {"0x83", "was suspended by an interrupting command from host"},
      {"0x04", "was suspended by an interrupting command from host"},
      {"0x84", "was suspended by an interrupting command from host"},
      {"0x05", "was aborted by an interrupting command from host"},
      {"0x06", "was aborted by the device with a fatal error"},
      {"0x01", "is in a Reserved state"},
      {"0x07", "is in a Reserved state"},
      {"0x3f", "is in a Reserved state"},
      {"0x40", "is in a Vendor Specific state"},
      {"0xff", "is in a Vendor Specific state"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(parse(capabilities(c.status)).driveOfflineDataCollectionActivity(), c.text) << c.status;

  mem.strings->entries[{"Main", "ODCANoError"}] = "ohne Fehler abgeschlossen";
  EXPECT_EQ(parse(capabilities("0x02")).driveOfflineDataCollectionActivity(), "ohne Fehler abgeschlossen");
}

TEST_F(Capabilities, SelfTestExecutionTexts) {
  struct Case {
    int status;
    const char* text;
    bool inProgress;
    int32_t remaining;
  } cases[] = {
      {0, "The previous self-test routine completed without error or no self-test has ever been run.", false, 0},
      {16, "The self-test routine was aborted by the host.", false, 0},
      {33, "The self-test routine was interrupted by the host with a hard or soft reset.", false, 10},
      {48, "A fatal error or unknown test error occurred while the device was executing its self-test routine and "
           "the device was unable to complete the self-test routine.", false, 0},
      {64, "The previous self-test completed having a test element that failed and the test element that failed is "
           "not known.", false, 0},
      {80, "The previous self-test completed having the electrical element of the test failed.", false, 0},
      {96, "The previous self-test completed having the servo (and/or seek) element of the test failed.", false, 0},
      {121, "The previous self-test completed having the read element of the test failed.", false, 90},
      {128, "The previous self-test completed having a test element that failed and the device is suspected of "
            "having handling damage.", false, 0},
      {144, "Reserved", false, 0},
      {239, "Reserved", false, 150},
      {240, "Self-test routine in progress... 0% of test remaining.", true, 0},
      {249, "Self-test routine in progress... 90% of test remaining.", true, 90},
      {255, "Self-test routine in progress... 150% of test remaining.", true, 150},
      {256, "Reserved", false, 0},
      {-16, "Reserved", false, 0},
  };
  for (const auto& c : cases) {
    KRSMARTDrive d = parse(capabilities("0x82", status(c.status)));
    ASSERT_EQ(d.driveSelfTestStatus(), c.status);
    EXPECT_EQ(d.driveSelfTestExecution(), c.text) << c.status;
    EXPECT_EQ(d.driveSelfTestExecutionInProgress(), c.inProgress) << c.status;
    EXPECT_EQ(d.driveSelfTestExecutionRemaining(), c.remaining) << c.status;
  }
  mem.strings->entries[{"Main", "STInProgress"}] = "Selbsttest läuft, noch %d%%.";
  EXPECT_EQ(parse(capabilities("0x82", " 249")).driveSelfTestExecution(), "Selbsttest läuft, noch 90%.");
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
