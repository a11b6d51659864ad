#include <gtest/gtest.h>

#include "platform/Format.h"
#include "tests/logs/LogTestSupport.h"
#include "tests/logs/SmartctlSamples.h"

namespace {

using logs_test::DriveStepTest;

const char* kHeading =
    "=== START OF READ SMART DATA SECTION ===\n"
    "SMART Self-test log structure revision number 1\n"
    "Num  Test_Description    Status                  Remaining  LifeTime(hours)  LBA_of_first_error\n";

// One row as smartctl 7.3 prints it.
std::string row(int n, const std::string& type, const std::string& status, int remainingTenths, int hours,
                const std::string& lba) {
  return platform::format("#%2u  %-19s %-29s %1d0%%  %8u         %@\n", n, type, status, remainingTenths, hours, lba);
}

const std::string kHoursKey = "/dev/sdb_LastTestPowerOnHours";

class SelfTestStep : public DriveStepTest {
 protected:
  SelfTestStep() {
    answer({"-H"}, "=== START OF READ SMART DATA SECTION ===\n"
                   "SMART overall-health self-assessment test result: PASSED\n");
  }
  void parse(const std::string& body) {
    answer({"-l", "selftest"}, body);
    drive.parseSelftestLog();
  }
  void update(const std::string& body) {
    answer({"-l", "selftest"}, body);
    drive.updateInfo();
  }
  std::vector<std::string> reasons() { return drive.getFailureReasonsText().value_or(std::vector<std::string>{}); }
};

TEST_F(SelfTestStep, ReadFailureInTheLogMakesTheDriveFailing) {
  drive.setDebugState(true);
  update(samples::kFailedReadSelfTestLog);
  ASSERT_EQ(drive.driveTestsCount(), 4u);
  KRSMARTSelfTestLog failed = *drive.driveSelfTestLog(1);
  EXPECT_EQ(failed.getNumber(), 2);
  EXPECT_EQ(failed.getType(), "Extended offline");
  EXPECT_EQ(failed.getStatus(), "Completed: read failure");
  EXPECT_EQ(failed.getRemaining(), 90);
  EXPECT_EQ(failed.getLifetime(), 21401);
  EXPECT_EQ(failed.getLBA(), 1953525134);
  EXPECT_EQ(drive.driveSelfTestLog(0)->getLBA(), -1);
  EXPECT_EQ(drive.driveSelfTestLog(3)->getType(), "Conveyance offline");
  EXPECT_FALSE(drive.driveSelfTestLog(4));

  EXPECT_TRUE(drive.driveTestsFail());
  EXPECT_TRUE(drive.driveNewTestFail());
  EXPECT_EQ(drive.driveHealth(), 2);
  EXPECT_EQ(reasons(), std::vector<std::string>{"Tests with errors"});
  // The log's last row is its oldest test.
  EXPECT_EQ(prefs().integerForKey(kHoursKey), 120);
  EXPECT_EQ(drive.driveLastTestTime(), 21530);
  EXPECT_EQ(drive.driveLastTestStatus(), "Completed without error");
  for (const char* m : {"Parsing self test log.", "Found SMART self test log revision.", "Found self test log entry.",
                        "Found tests with errors!!", "Done parsing self test log."})
    EXPECT_TRUE(mem.log->contains(m)) << m;
}

TEST_F(SelfTestStep, FailedTestRule) {
  struct Case {
    const char* name;
    bool failedTestIsNew;
    std::optional<int64_t> remembered;
    bool failedAssessment;
    bool newTestFail;
    int32_t health;
  } cases[] = {
      {"defaults", false, std::nullopt, false, true, 2},
      {"defaults ignore the remembered hour", false, 120, false, true, 2},
      {"seen at the previous check", true, 120, false, false, 1},
      {"log moved on", true, 100, false, true, 2},
      {"nothing remembered yet", true, std::nullopt, false, true, 2},
      {"drive already failed", false, std::nullopt, true, false, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KRSMARTDrive fresh;
    fresh.setBundlePath(fake.bundlePath());
    fresh.setLocation(logs_test::kDevice);
    prefs().setBool("FailedTestIsNew", c.failedTestIsNew);
    if (c.remembered) prefs().setInteger(kHoursKey, *c.remembered);
    else prefs().removeObject(kHoursKey);
    answer({"-H"}, std::string("=== START OF READ SMART DATA SECTION ===\n"
                               "SMART overall-health self-assessment test result: ") +
                       (c.failedAssessment ? "FAILED!\n" : "PASSED\n"));
    answer({"-l", "selftest"}, samples::kFailedReadSelfTestLog);
    fresh.updateInfo();
    EXPECT_TRUE(fresh.driveTestsFail());
    EXPECT_EQ(fresh.driveNewTestFail(), c.newTestFail);
    EXPECT_EQ(fresh.driveHealth(), c.health);
    EXPECT_EQ(fresh.getFailureReasonsText().has_value(), c.newTestFail);
    EXPECT_EQ(prefs().integerForKey(kHoursKey), 120);
  }
}

TEST_F(SelfTestStep, StatusWordsThatCountAsFailure) {
  struct Case {
    const char* status;
    bool fails;
  } cases[] = {
      {"Completed without error", false},       {"Aborted by host", false},
      {"Interrupted (host reset)", false},      {"Self-test routine in progress", false},
      {"Fatal or unknown error", true},         {"Completed: unknown failure", true},
      {"Completed: electrical failure", true},  {"Completed: servo/seek failure", true},
      {"Completed: handling damage??", true},   {"completed: FAILURE", false},
  };
  for (const Case& c : cases) {
    parse(kHeading + row(1, "Short offline", c.status, 0, 500, c.fails ? "1234" : "-"));
    EXPECT_EQ(drive.driveTestsFail(), c.fails) << c.status;
    EXPECT_EQ(drive.driveSelfTestLog(0)->getStatus(), c.status);
  }
}

TEST_F(SelfTestStep, RowsOfDifferentTestKinds) {
  struct Case {
    std::string line;
    int32_t number;
    std::optional<std::string> type, status;
    int32_t remaining, lifetime, lba;
  } cases[] = {
      {row(1, "Extended offline", "Completed without error", 0, 1234, "-"), 1, "Extended offline",
       "Completed without error", 0, 1234, -1},
      {row(12, "Short captive", "Self-test routine in progress", 3, 99999, "-"), 12, "Short captive",
       "Self-test routine in progress", 30, 99999, -1},
      {row(2, "Vendor (0x40)", "Aborted by host", 0, 7, "-"), 2, "Vendor (0x40)", "Aborted by host", 0, 7, -1},
      // a one-word description takes the first word of the status: smartctl pads to column 25
      {row(3, "Offline", "Completed without error", 0, 8, "-"), 3, "Offline Completed", "without error", 0, 8, -1},
      // an LBA beyond 32 bits saturates
      {row(4, "Extended offline", "Completed: read failure", 9, 8, "281474976710655"), 4, "Extended offline",
       "Completed: read failure", 90, 8, 2147483647},
      // written by hand with tabs
      {"#\t5\tShort offline\tCompleted: read failure\t10%\t77\t4096\n", 5, "Short offline", "Completed: read failure\t",
       10, 77, 4096},
  };
  for (const Case& c : cases) {
    parse(kHeading + c.line);
    ASSERT_EQ(drive.driveTestsCount(), 1u) << c.line;
    KRSMARTSelfTestLog e = *drive.driveSelfTestLog(0);
    EXPECT_EQ(e.getNumber(), c.number) << c.line;
    EXPECT_EQ(e.getType(), c.type) << c.line;
    EXPECT_EQ(e.getStatus(), c.status) << c.line;
    EXPECT_EQ(e.getRemaining(), c.remaining) << c.line;
    EXPECT_EQ(e.getLifetime(), c.lifetime) << c.line;
    EXPECT_EQ(e.getLBA(), c.lba) << c.line;
  }
}

TEST_F(SelfTestStep, RowCutBeforeItsPercentIsARangeFailure) {
  update(kHeading + std::string("# 1  Short offline\n"));
  EXPECT_TRUE(drive.exceptionOccurred());
  EXPECT_TRUE(mem.log->contains("Exception occured in parseSelftestLog. RangeException: "));
  ASSERT_EQ(mem.alerts->shown.size(), 1u);
  EXPECT_EQ(mem.alerts->shown[0].message, "An Error Occurred");
}

TEST_F(SelfTestStep, NoSelfTestsLogged) {
  drive.setDebugState(true);
  parse(samples::kFailedReadSelfTestLog);
  ASSERT_TRUE(drive.driveNewTestFail());
  parse(samples::kNoSelfTestsLog);
  EXPECT_EQ(drive.driveTestsCount(), 0u);
  EXPECT_FALSE(drive.driveSelfTestLog(0));
  EXPECT_EQ(drive.driveLastTestTime(), -1);
  EXPECT_FALSE(drive.driveLastTestStatus());
  // The rule did not run: its results and the remembered hour stay.
  EXPECT_TRUE(drive.driveTestsFail());
  EXPECT_TRUE(drive.driveNewTestFail());
  EXPECT_EQ(prefs().integerForKey(kHoursKey), 120);
}

TEST_F(SelfTestStep, DisabledBeforeTheRevisionMeansATestRuns) {
  const std::string disabled = "SMART Disabled. Use option -s with argument 'on' to enable it.\n";
  parse("=== START OF READ SMART DATA SECTION ===\n" + disabled + disabled);
  EXPECT_EQ(prefs().integerForKey("TestsInProgress"), 2);
  EXPECT_TRUE(drive.driveTestInProgress());

  KRSMARTDrive other;
  other.setBundlePath(fake.bundlePath());
  other.setLocation(logs_test::kDevice);
  answer({"-l", "selftest"}, kHeading + row(1, "Short offline", "Completed without error", 0, 5, "-") + disabled);
  other.parseSelftestLog();
  EXPECT_EQ(prefs().integerForKey("TestsInProgress"), 2);
  EXPECT_FALSE(other.driveTestInProgress());
  EXPECT_EQ(other.driveTestsCount(), 1u);
}

TEST_F(SelfTestStep, LastTestStatusIsTheNewerEnd) {
  parse(kHeading + row(1, "Short offline", "Completed: read failure", 0, 100, "5") +
        row(2, "Short offline", "Completed without error", 0, 200, "-"));
  EXPECT_EQ(drive.driveLastTestStatus(), "Completed without error");
  EXPECT_EQ(drive.driveLastTestTime(), 100);
  parse(kHeading + row(1, "Short offline", "Completed: read failure", 0, 300, "5") +
        row(2, "Short offline", "Completed without error", 0, 200, "-"));
  EXPECT_EQ(drive.driveLastTestStatus(), "Completed: read failure");
}

TEST_F(SelfTestStep, RevisionAndLaterRevisionLine) {
  parse(kHeading + row(1, "Short offline", "Completed without error", 0, 5, "-") +
        "SMART Self-test log structure revision number 2\n" + row(1, "Short offline", "Aborted by host", 0, 6, "-"));
  EXPECT_EQ(drive.driveSelfTestLogRevision(), 1);
  EXPECT_EQ(drive.driveTestsCount(), 2u);
}

TEST_F(SelfTestStep, NoAnswerKeepsTheLog) {
  drive.setDebugState(true);
  parse(samples::kCleanSelfTestLog);
  parse("");
  EXPECT_TRUE(mem.log->contains("Error parsing self test log."));
  EXPECT_EQ(drive.driveTestsCount(), 3u);
  EXPECT_EQ(drive.driveSelfTestLog(0)->getStatus(), "Self-test routine in progress");
  EXPECT_FALSE(drive.driveTestsFail());
}

TEST_F(SelfTestStep, SelectiveLogIsRunButNotRead) {
  drive.setDebugState(true);
  answer({"-l", "selective"}, "");
  drive.parseSelectiveLog();
  EXPECT_TRUE(mem.log->contains("Error parsing selective test log."));
  EXPECT_EQ(fake.calls().back(), "-l selective /dev/sdb");
}

}  // namespace
