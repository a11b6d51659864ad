// What the drive's steps add to their parsers: running smartctl, keeping a
// record when nothing came back, the remembered counts, and what a drive
// does when SMART is off.
#include <gtest/gtest.h>

#include "tests/logs/SmartctlSamples.h"
#include "tests/support/DriveFixture.h"

namespace {

using testing_support::Args;
using testing_support::DriveTest;

class DriveSteps : public DriveTest {
 protected:
  DriveSteps() { drive.setDebugState(true); }
};

TEST_F(DriveSteps, NothingBackKeepsWhatTheStepHadRead) {
  struct Case {
    Args args;
    std::string body;
    void (KRSMARTDrive::*step)();
    const char* message;
    std::function<bool(const KRSMARTDrive&)> kept;
  } cases[] = {
      {{"-i", "/dev/sda"},
       samples::text("Identity"),
       &KRSMARTDrive::parseInfo,
       "Error parsing information.",
       [](const KRSMARTDrive& d) { return d.driveModel() == "WDC WD5000AAKX-00ERMA0"; }},
      {{"-c", "/dev/sda"},
       testing_support::capabilities("0x82", " 249"),
       &KRSMARTDrive::parseCapabilities,
       "Error parsing capabilities.",
       [](const KRSMARTDrive& d) { return d.driveSelfTestStatus() == 249 && d.driveTestInProgress(); }},
      {{"-A", "/dev/sda"},
       samples::text("SeagateAttributes"),
       &KRSMARTDrive::parseAttributes,
       "Error parsing attributes.",
       [](const KRSMARTDrive& d) { return d.driveAttributeCount() == 24 && d.drivePowerOnHours() == 21532; }},
      {{"-l", "error", "/dev/sda"},
       samples::text("CableErrorsLog"),
       &KRSMARTDrive::parseErrorLog,
       "Error parsing error log.",
       [](const KRSMARTDrive& d) { return d.driveErrorLogEntries().size() == 2; }},
      {{"-l", "selftest", "/dev/sda"},
       samples::text("CleanSelfTestLog"),
       &KRSMARTDrive::parseSelftestLog,
       "Error parsing self test log.",
       [](const KRSMARTDrive& d) { return d.driveTestsCount() == 3; }},
  };
  for (const auto& c : cases) {
    answer(c.args, c.body);
    (drive.*c.step)();
    drive.setSelfTestInProgress(true);
    fake.answer(c.args, "\xff\n");  // not text: the runner gives nothing back
    mem.log->clear();
    (drive.*c.step)();
    EXPECT_TRUE(mem.log->contains(c.message)) << c.message;
    EXPECT_TRUE(c.kept(drive)) << c.message;
  }
}

TEST_F(DriveSteps, SelectiveLogIsRunButNotRead) {
  fake.answer({"-l", "selective", "/dev/sda"}, "\xff\n");
  drive.parseSelectiveLog();
  EXPECT_TRUE(mem.log->contains("Error parsing selective test log."));
  EXPECT_EQ(fake.calls(), std::vector<std::string>{"-l selective /dev/sda"});
}

TEST_F(DriveSteps, CountsAreRememberedUnderTheSerialNumberElseTheDevice) {
  answer({"-A", "/dev/sda"}, samples::text("FailingWDAttributes"));
  answer({"-l", "error", "/dev/sda"}, samples::text("SixErrorsLog"));
  answer({"-l", "selftest", "/dev/sda"}, samples::text("FailedReadSelfTestLog"));
  for (auto step : {&KRSMARTDrive::parseAttributes, &KRSMARTDrive::parseErrorLog, &KRSMARTDrive::parseSelftestLog})
    (drive.*step)();
  EXPECT_EQ(prefs().integerForKey("/dev/sda_LastReallocatedSectorCount"), 1834);
  EXPECT_EQ(prefs().integerForKey("/dev/sda_LastErrorCount"), 6);
  EXPECT_EQ(prefs().integerForKey("/dev/sda_LastTestPowerOnHours"), 120);

  answer({"-i", "/dev/sda"}, samples::text("Identity"));
  drive.parseInfo();
  prefs().setBool("RememberBadSectors", true);
  prefs().setInteger("WD-WCC2EUA12345_LastReallocatedSectorCount", 1834);
  drive.updateInfo();
  EXPECT_EQ(drive.driveReallocatedSectorsFail(), 3);  // failing now: the count does not matter
  EXPECT_EQ(prefs().integerForKey("WD-WCC2EUA12345_LastOfflineSectorCount"), 0);
  EXPECT_EQ(prefs().integerForKey("WD-WCC2EUA12345_LastErrorCount"), 6);
}

TEST_F(DriveSteps, ReasonsAccumulateOverUpdates) {
  answer({"-H", "/dev/sda"}, testing_support::kHealthPassed);
  answer({"-c", "/dev/sda"}, testing_support::capabilities("0x82", " 121"));
  drive.updateInfo();
  drive.updateInfo();
  EXPECT_EQ(drive.driveHealth(), logs::kHealthFailing);
  EXPECT_EQ(drive.getFailureReasonsText(),
            (std::vector<std::string>{"Failed selftest status", "Failed selftest status"}));
}

TEST_F(DriveSteps, DisabledSmartIsSwitchedOnOncePerLine) {
  struct Case {
    const char* name;
    std::string body;
    std::string enableAnswer;
    size_t enableRuns;
    std::vector<const char*> logged;
  } cases[] = {
      {"after the ATA line",
       "ATA Version is:   ACS-2\nSMART support is: Disabled\n",
       "=== START OF ENABLE/DISABLE COMMANDS SECTION ===\nSMART Enabled.\n",
       1,
       {"SMART Disabled. Reenabling...", "SMART Reenabled."}},
      {"two lines", "ATA Version is:   8\nSMART support is: Disabled\nOffline: Disabled\n", "SMART Enabled.\n", 2, {}},
      {"refused",
       "ATA Version is:   8\nSMART support is: Disabled\n",
       "SMART Enable failed: no\n",
       1,
       {"SMART cannot be reenabled."}},
      {"no answer", "ATA Version is:   8\nSMART support is: Disabled\n", "", 1, {"SMART cannot be reenabled."}},
      {"the ATA line itself", "ATA Version is:   Disabled 8\n", "SMART Enabled.\n", 1, {}},
      {"before the ATA line", "Device Model:     Disabled Drive\nATA Version is:   8\n", "SMART Enabled.\n", 0, {}},
  };
  for (const auto& c : cases) {
    testing_support::FakeSmartctl f(scratch.path() / c.name);
    f.answer({"-i", "/dev/sda"}, testing_support::banner() + c.body);
    f.answer({"-s", "on", "/dev/sda"}, c.enableAnswer.empty() ? "\xff\n" : testing_support::banner() + c.enableAnswer);
    KRSMARTDrive d;
    d.setLocation("/dev/sda");
    d.setBundlePath(f.bundlePath());
    d.setDebugState(true);
    mem.log->clear();
    d.parseInfo();
    size_t runs = 0;
    for (const auto& call : f.calls()) runs += call == "-s on /dev/sda";
    EXPECT_EQ(runs, c.enableRuns) << c.name;
    for (const char* m : c.logged) EXPECT_TRUE(mem.log->contains(m)) << c.name << ": " << m;
    EXPECT_TRUE(mem.log->contains("Done parsing information.")) << c.name;
  }
}

TEST_F(DriveSteps, LogAccessors) {
  answer({"-A", "/dev/sda"}, samples::text("SeagateAttributes"));
  answer({"-l", "error", "/dev/sda"}, samples::text("SixErrorsLog"));
  answer({"-l", "selftest", "/dev/sda"},
         "=== START OF READ SMART DATA SECTION ===\nSMART Self-test log structure revision number 1\n"
         "# 1  Short offline       Completed: read failure       00%       100         5\n"
         "# 2  Short offline       Completed without error       00%       200         -\n");
  for (auto step : {&KRSMARTDrive::parseAttributes, &KRSMARTDrive::parseErrorLog, &KRSMARTDrive::parseSelftestLog})
    (drive.*step)();
  EXPECT_TRUE(drive.driveAttribute(23));
  EXPECT_FALSE(drive.driveAttribute(24));
  EXPECT_EQ(drive.driveErrorLogEntries().size(), 5u);
  EXPECT_TRUE(drive.driveErrorLog(4));
  EXPECT_FALSE(drive.driveErrorLog(5));
  EXPECT_EQ(drive.driveLastErrorType(), "Uncorrectable Error");
  EXPECT_EQ(drive.driveLastErrorTime(), 1618);
  // The newer end of the self-test log gives the last status; the first row the last time.
  EXPECT_EQ(drive.driveLastTestStatus(), "Completed without error");
  EXPECT_EQ(drive.driveLastTestTime(), 100);
  EXPECT_FALSE(drive.driveSelfTestLog(2));

  answer({"-l", "error", "/dev/sda"}, samples::text("NoErrorsLog"));
  answer({"-l", "selftest", "/dev/sda"}, samples::text("NoSelfTestsLog"));
  drive.parseErrorLog();
  drive.parseSelftestLog();
  EXPECT_FALSE(drive.driveLastErrorType());
  EXPECT_EQ(drive.driveLastErrorTime(), -1);
  EXPECT_FALSE(drive.driveLastTestStatus());
  EXPECT_EQ(drive.driveLastTestTime(), -1);
}

}  // namespace
