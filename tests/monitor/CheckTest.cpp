// The check: menu rows, icon, notifications, drive list file and e-mail
// report, for drives answered by the stand-in smartctl.
#include "platform/PropertyList.h"
#include "tests/CaseFile.h"
#include "tests/monitor/MonitorFixture.h"

namespace monitor_test {
namespace {

class CheckTest : public MonitorTest {
 protected:
  // health 0 unknown (smartctl gives no verdict), 1 passed, 2 failing (what the
  // evaluation steps would find on a passed drive), 3 failed.
  void addDrive(const std::string& location, const std::vector<std::string>& volumes, int health) {
    scanner->nextScan.push_back(makeDrive(location, volumes));
    if (health == 1 || health == 2) answerHealth(location, "PASSED");
    if (health == 3) answerHealth(location, "FAILED!");
    if (health == 2) scanner->raisedHealth[location] = 2;
  }
  std::string fileContents() { return testing_support::readFile(driveListPath()); }
};

std::vector<std::string> withBase(std::vector<std::string> top) {
  top.insert(top.end(), kBaseMenu.begin(), kBaseMenu.end());
  return top;
}

TEST_F(CheckTest, FailedAndEmptyScansShowALineUntilTheNextCheck) {
  scanner->scanSucceeds = false;
  start();
  EXPECT_EQ(menu(), withBase({"Error Scanning for Drives"}));
  EXPECT_EQ(statusItem->shownMenu, menu());
  EXPECT_EQ(scanner->updates, 0);
  timers->only().tick();
  EXPECT_EQ(menu(), kBaseMenu);

  scanner->scanSucceeds = true;
  controller->perform(MenuAction::ScanForDrives);
  EXPECT_EQ(menu(), withBase({"No drives found"}));
  timers->only().tick();
  EXPECT_EQ(menu(), kBaseMenu);
  EXPECT_EQ(scanner->updates, 0);
  EXPECT_TRUE(notifier->posted().empty());
  EXPECT_FALSE(fs::exists(driveListPath()));
  EXPECT_EQ(statusItem->images.size(), 1u);
}

TEST_F(CheckTest, FailedScanKeepsTheIconAndTheNextTickChecksWhatTheListHolds) {
  addDrive("/dev/disk0", {"Data"}, 3);
  start();
  EXPECT_EQ(statusItem->images.back().resourceName, "Tarvel Red");

  scanner->scanSucceeds = false;
  scanner->nextScan = {makeDrive("/dev/disk0", {"Data"})};
  controller->perform(MenuAction::ScanForDrives);
  EXPECT_EQ(menu(), withBase({"Error Scanning for Drives"}));
  EXPECT_EQ(statusItem->images.size(), 2u);

  timers->only().tick();
  EXPECT_EQ(menu()[0], "Data icon=Tarvel Red@32");
}

TEST_F(CheckTest, DriveWithoutSMARTIsPassedOverAndLaterDrivesStillReport) {
  mem.platform.preferences->setBool("EmailDriveFailed", true);
  addDrive("/dev/disk0", {"A"}, 1);
  scanner->nextScan.push_back(makeDrive("/dev/disk1", {"Card"}));
  answerUnsupported("/dev/disk1");
  addDrive("/dev/disk2", {"C"}, 3);
  start();
  joinMail();

  EXPECT_EQ(menu(), afterCheck({"C icon=Tarvel Red@32", "Overall Status: FAILED! (disabled) indent=3",
                                "A icon=Tarvel Green@32", "Overall Status: Passed (disabled) indent=3"}));
  EXPECT_EQ(notifier->posted().size(), 2u);
  ASSERT_EQ(mailCalls().size(), 1u);
  EXPECT_EQ(mailCalls()[0][7], "C: FAILED\n");
}

// The cases of tests/monitor/decisions.txt.
class DecisionTableTest : public CheckTest, public testing::WithParamInterface<testing_support::Case> {};

TEST_P(DecisionTableTest, ReportLinesSubjectRecordsAndIcon) {
  const testing_support::Case& c = GetParam();
  addDrive("/dev/disk0", {"Alpha"}, std::stoi(c[0]));
  addDrive("/dev/disk1", {"B1", "B2", "B3"}, std::stoi(c[1]));
  const std::vector<std::string> mailOn = testing_support::split(c[2], " ");
  for (const char* key : {"EmailDrivePassed", "EmailDriveFailing", "EmailDriveFailed"})
    mem.platform.preferences->setBool(key, std::find(mailOn.begin(), mailOn.end(), key) != mailOn.end());
  mem.platform.preferences->setObject("EmailSMTPAddress", "smtp.example.org");
  start();
  joinMail();

  auto calls = mailCalls();
  if (c[3] == "-") {
    EXPECT_TRUE(calls.empty()) << c.line;
  } else {
    ASSERT_EQ(calls.size(), 1u) << c.line;
    EXPECT_EQ(calls[0][5], c[3]);
    EXPECT_EQ(calls[0][7], c[4]);
  }

  PlistValue::Array records;
  for (const std::string& p : testing_support::split(c[5])) {
    size_t blank = p.rfind(' ');
    records.push_back(PlistValue::Dict{{"DriveModel", ""},
                                       {"DriveSize", ""},
                                       {"DriveSN", ""},
                                       {"DriveNames", p.substr(0, blank)},
                                       {"DriveHealth", p.substr(blank + 1)}});
  }
  PlistValue::Dict expected{{"CheckTime", "1/2/25, 9:41 AM"},
                            {"TRProblemDrivesCount", static_cast<int>(records.size())}};
  if (!records.empty()) expected["TRProblemDrives"] = records;
  EXPECT_EQ(platform::dictFromPlist(fileContents()), expected) << c.line;
  EXPECT_EQ(statusItem->images.back(), (MenuImage{c[6], 18})) << c.line;
  EXPECT_EQ(controller->statusImage(), c[6]);
}

INSTANTIATE_TEST_SUITE_P(Check, DecisionTableTest,
                         testing::ValuesIn(testing_support::readCases("monitor/decisions.txt")));

TEST_F(CheckTest, UnwritableDriveListFileDoesNotStopTheReport) {
  fs::remove_all(mem.platform.bundle.appSupportFolder);
  mem.platform.preferences->setBool("EmailDrivePassed", true);
  addDrive("/dev/disk0", {"Data"}, 1);
  start();
  joinMail();
  EXPECT_FALSE(fs::exists(driveListPath()));
  EXPECT_EQ(mailCalls().size(), 1u);
  EXPECT_EQ(menu()[3], "Last Updated: 1/2/25, 9:41 AM (disabled)");
}

}  // namespace
}  // namespace monitor_test
