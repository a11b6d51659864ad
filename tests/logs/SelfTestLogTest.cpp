// The self-test log: its rows, and the rule that judges a drive by a failed test.
#include <gtest/gtest.h>

#include "logs/Ata.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "tests/CaseFile.h"
#include "tests/logs/SmartctlSamples.h"
#include "tests/support/DriveFixture.h"

namespace {

using testing_support::answerLines;

const char* kHeading =
    "=== START OF READ SMART DATA SECTION ===\n"
    "SMART Self-test log structure revision number 1\n"
    "Num  Test_Description    Status                  Remaining  LifeTime(hours)  LBA_of_first_error\n";

// One row as smartctl 7.3 prints it.
std::string row(int n, const std::string& type, const std::string& status, int remainingTenths, int hours,
                const std::string& lba) {
  return platform::format("#%2u  %-19s %-29s %1d0%%  %8u         %@\n", n, type, status, remainingTenths, hours, lba);
}

const std::string kHours = "_LastTestPowerOnHours";

class SelfTestStep : public testing::Test {
 protected:
  SelfTestStep() { findings.startCheck(); }
  void parse(const std::string& body) {
    logs::parseAtaSelfTestLog(answerLines(body), log.settings, remembered, selfTests, findings,
                              [this] { ++disabledLines; });
  }
  const KRSMARTSelfTestLog& entry(size_t i) { return selfTests.entries->at(i); }

  testing_support::ParserLog log;
  logs::Remembered remembered;
  logs::AtaSelfTestLog selfTests;
  logs::Findings findings;
  int disabledLines = 0;
};

TEST_F(SelfTestStep, ReadFailureInTheLogMakesTheDriveFailing) {
  parse(samples::text("FailedReadSelfTestLog"));
  ASSERT_EQ(selfTests.count, 4u);
  const KRSMARTSelfTestLog& failed = entry(1);
  EXPECT_EQ(failed.getNumber(), 2);
  EXPECT_EQ(failed.getType(), "Extended offline");
  EXPECT_EQ(failed.getStatus(), "Completed: read failure");
  EXPECT_EQ(failed.getRemaining(), 90);
  EXPECT_EQ(failed.getLifetime(), 21401);
  EXPECT_EQ(failed.getLBA(), 1953525134);
  EXPECT_EQ(entry(0).getLBA(), -1);
  EXPECT_EQ(entry(3).getType(), "Conveyance offline");

  EXPECT_TRUE(findings.testsFail);
  EXPECT_TRUE(findings.newTestFail);
  EXPECT_EQ(findings.health, logs::kHealthFailing);
  EXPECT_EQ(findings.failureReasons, std::vector<std::string>{"Tests with errors"});
  // The log's last row is its oldest test.
  EXPECT_EQ(remembered.toStore().at(kHours), 120);
}

TEST_F(SelfTestStep, FailedTestRule) {
  for (const auto& c : testing_support::readCases("logs/self-test-log.txt", "rule")) {
    SCOPED_TRACE(c.line);
    log.settings.failedTestIsNew = c[1] == "new";
    remembered = logs::Remembered({{kHours, std::stoll(c[2])}});
    findings = {};
    findings.startCheck();
    if (c[1] == "failed") findings.health = logs::kHealthFailed;
    parse(samples::text("FailedReadSelfTestLog"));
    EXPECT_TRUE(findings.testsFail);
    EXPECT_EQ(findings.newTestFail, c[3] == "yes");
    EXPECT_EQ(findings.health, std::stoi(c[4]));
    EXPECT_EQ(findings.failureReasons.has_value(), c[3] == "yes");
    EXPECT_EQ(remembered.toStore().at(kHours), 120);
  }
}

// The cases of tests/logs/self-test-log.txt.
TEST_F(SelfTestStep, StatusWordsThatCountAsFailure) {
  for (const auto& c : testing_support::readCases("logs/self-test-log.txt", "status")) {
    const bool fails = c[1] == "yes";
    parse(kHeading + row(1, "Short offline", c[0], 0, 500, fails ? "1234" : "-"));
    EXPECT_EQ(findings.testsFail, fails) << c.line;
    EXPECT_EQ(entry(0).getStatus(), c[0]);
  }
}

TEST_F(SelfTestStep, RowsOfDifferentTestKinds) {
  auto read = [this](const std::string& line) {
    parse(kHeading + line);
    EXPECT_EQ(selfTests.count, 1u) << line;
    const KRSMARTSelfTestLog& e = entry(0);
    return std::vector<std::string>{std::to_string(e.getNumber()),   e.getType().value_or("?"),
                                    e.getStatus().value_or("?"),     std::to_string(e.getRemaining()),
                                    std::to_string(e.getLifetime()), std::to_string(e.getLBA())};
  };
  for (const auto& c : testing_support::readCases("logs/self-test-log.txt", "row"))
    EXPECT_EQ(read(row(std::stoi(c[0]), c[1], c[2], std::stoi(c[3]), std::stoi(c[4]), c[5])),
              std::vector<std::string>(c.fields.begin() + 6, c.fields.end()))
        << c.line;
  // written by hand with tabs
  EXPECT_EQ(read("#\t5\tShort offline\tCompleted: read failure\t10%\t77\t4096\n"),
            (std::vector<std::string>{"5", "Short offline", "Completed: read failure\t", "10", "77", "4096"}));
}

TEST_F(SelfTestStep, RowCutBeforeItsPercentIsARangeFailureThatKeepsTheRowsBefore) {
  EXPECT_THROW(parse(kHeading + row(1, "Short offline", "Completed without error", 0, 5, "-") + "# 2  Short offline\n"),
               platform::Exception);
  ASSERT_EQ(selfTests.entries->size(), 1u);
  EXPECT_EQ(selfTests.count, 0u);
  EXPECT_FALSE(remembered.toStore().count(kHours));
}

TEST_F(SelfTestStep, NoSelfTestsLogged) {
  parse(samples::text("FailedReadSelfTestLog"));
  ASSERT_TRUE(findings.newTestFail);
  remembered = {};
  parse(samples::text("NoSelfTestsLog"));
  EXPECT_EQ(selfTests.count, 0u);
  EXPECT_FALSE(selfTests.entries);
  // The rule did not run: its results stay, and no hour is remembered.
  EXPECT_TRUE(findings.testsFail);
  EXPECT_TRUE(findings.newTestFail);
  EXPECT_TRUE(remembered.toStore().empty());
}

TEST_F(SelfTestStep, DisabledBeforeTheRevisionMeansATestRuns) {
  const std::string disabled = "SMART Disabled. Use option -s with argument 'on' to enable it.\n";
  parse("=== START OF READ SMART DATA SECTION ===\n" + disabled + disabled);
  EXPECT_EQ(disabledLines, 2);
  parse(kHeading + row(1, "Short offline", "Completed without error", 0, 5, "-") + disabled);
  EXPECT_EQ(disabledLines, 2);
  EXPECT_EQ(selfTests.count, 1u);
}

TEST_F(SelfTestStep, RevisionAndLaterRevisionLine) {
  parse(kHeading + row(1, "Short offline", "Completed without error", 0, 5, "-") +
        "SMART Self-test log structure revision number 2\n" + row(1, "Short offline", "Aborted by host", 0, 6, "-"));
  EXPECT_EQ(selfTests.revision, 1);
  EXPECT_EQ(selfTests.count, 2u);
}

}  // namespace
