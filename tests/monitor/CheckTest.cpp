// The check: menu rows, icon, notifications, drive list file and e-mail
// report, for drives answered by the stand-in smartctl.
#include "platform/PropertyList.h"
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

TEST_F(CheckTest, MenuListsDrivesNewestFirstWithStatusLinesAndLastUpdated) {
  addDrive("/dev/disk0", {"Data"}, 1);
  addDrive("/dev/disk1", {"A", "B"}, 3);
  addDrive("/dev/disk2", {}, 2);
  start();

  const std::vector<std::string> expected = afterCheck({
      "disk2 icon=Tarvel Yellow@32 {}",
      "Overall Status: FAILING! (disabled) indent=3",
      "disk1 icon=Tarvel Red@32 {A (disabled), B (disabled)}",
      "Overall Status: FAILED! (disabled) indent=3",
      "Data icon=Tarvel Green@32",
      "Overall Status: Passed (disabled) indent=3",
  });
  EXPECT_EQ(menu(), expected);
  EXPECT_EQ(statusItem->shownMenu, expected);
  EXPECT_EQ(controller->menu().itemAtIndex(2).submenu().title(), "disk1");
  EXPECT_EQ(controller->getOverallStatus(), 3);
  EXPECT_EQ(statusItem->images.back(), (MenuImage{"Tarvel Red", 18}));

  controller->perform(MenuAction::UpdateDrives);
  controller->perform(MenuAction::UpdateDrives);
  EXPECT_EQ(menu(), expected);
}

TEST_F(CheckTest, MenuTextsComeFromTheStringTable) {
  mem.strings->entries[{"Main", "LastUpdated"}] = "Mis à jour : %@";
  mem.strings->entries[{"Main", "OverallStatusPassed"}] = "État : réussi";
  mem.strings->entries[{"Main", "QuitTR"}] = "Quitter";
  addDrive("/dev/disk0", {"Data"}, 1);
  start();
  EXPECT_EQ(menu()[1], "État : réussi (disabled) indent=3");
  EXPECT_EQ(menu()[3], "Mis à jour : 1/2/25, 9:41 AM (disabled)");
  EXPECT_EQ(menu().back(), "Quitter ->quit [q]");
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

TEST_F(CheckTest, RescanFindsANewDiskUpdateDoesNot) {
  addDrive("/dev/disk0", {"Data"}, 1);
  start();
  addDrive("/dev/disk1", {"Backup"}, 1);
  controller->perform(MenuAction::UpdateDrives);
  EXPECT_EQ(menu()[0], "Data icon=Tarvel Green@32");
  controller->perform(MenuAction::ScanForDrives);
  EXPECT_EQ(menu()[0], "Backup icon=Tarvel Green@32");
  EXPECT_EQ(menu()[2], "Data icon=Tarvel Green@32");
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

TEST_F(CheckTest, NotificationsPerHealth) {
  addDrive("/dev/disk0", {"Alpha"}, 3);
  addDrive("/dev/disk1", {"B1", "B2", "B3"}, 2);
  addDrive("/dev/disk2", {"X", "Y"}, 1);
  addDrive("/dev/disk3", {"Odd"}, 0);
  start();

  const std::vector<platform::DesktopNotification> expected = {
      {"WARNING: DRIVE FAILED!",
       "The drive Alpha has failed.It is highly recommended to backup all files and replace drive.", "DriveFailed",
       icon("Tarvel Red"), 0, true},
      {"CAUTION: DRIVE FAILING!",
       "The drive disk1 with partitions B1, B2, and B3 is failing. It is recommended to backup all files and replace "
       "drive.",
       "DriveFailing", icon("Tarvel Yellow"), 0, true},
      {"Drive Passed", "The drive disk2 with partitions X, and Y passed.", "DriveFailing", icon("Tarvel Green"), 0,
       false},
      {"Drive Passed", "The drive Odd passed.", "DriveFailing", icon("Tarvel Green"), 0, false},
  };
  EXPECT_EQ(notifier->posted(), expected);
  EXPECT_EQ(menu()[1], "Overall Status: Passed (disabled) indent=3");  // unknown shows as passed

  // Nothing is compared with the last check: the same notifications again.
  controller->perform(MenuAction::UpdateDrives);
  const std::vector<platform::DesktopNotification> all = notifier->posted();
  ASSERT_EQ(all.size(), 8u);
  EXPECT_EQ(std::vector<platform::DesktopNotification>(all.begin() + 4, all.end()), expected);

  for (const char* key : {"GrowlDriveFailed", "GrowlDriveFailing", "GrowlDrivePassed"})
    mem.platform.preferences->setBool(key, false);
  controller->perform(MenuAction::UpdateDrives);
  EXPECT_EQ(notifier->posted().size(), 8u);
}

TEST_F(CheckTest, DriveListFileHoldsTheProblemDrives) {
  addDrive("/dev/disk0", {"Alpha & Omega"}, 3);
  addDrive("/dev/disk1", {"B1", "B2"}, 2);
  addDrive("/dev/disk2", {"Fine"}, 1);
  scanner->identities["/dev/disk0"] = {"WDC WD5000<AAKS>", "500 GB", "WD-123"};
  start();
  // An absent model, capacity or serial number is empty text.
  const PlistValue::Array problems{
      PlistValue::Dict{{"DriveHealth", "FAILED"}, {"DriveModel", "WDC WD5000<AAKS>"}, {"DriveNames", "Alpha & Omega"},
                       {"DriveSN", "WD-123"}, {"DriveSize", "500 GB"}},
      PlistValue::Dict{{"DriveHealth", "FAILING"}, {"DriveModel", ""}, {"DriveNames", "disk1 with partitions B1, and B2"},
                       {"DriveSN", ""}, {"DriveSize", ""}}};
  EXPECT_EQ(platform::dictFromPlist(fileContents()),
            (PlistValue::Dict{{"CheckTime", "1/2/25, 9:41 AM"}, {"TRProblemDrives", problems},
                              {"TRProblemDrivesCount", 2}}));
}

// Health of two drives and the e-mail preferences against report lines,
// subject, problem records and the icon.
struct DecisionCase {
  int first, second;
  bool mailPassed, mailFailing, mailFailed;
  std::string subject;  // empty: no e-mail
  std::string body;
  std::vector<std::string> problems;  // "title HEALTH" in drive order
  std::string icon;
};

const std::string kA = "Alpha", kB = "disk1 with partitions B1, B2, and B3";

class DecisionTableTest : public CheckTest, public testing::WithParamInterface<DecisionCase> {};

TEST_P(DecisionTableTest, ReportLinesSubjectRecordsAndIcon) {
  const DecisionCase& c = GetParam();
  addDrive("/dev/disk0", {"Alpha"}, c.first);
  addDrive("/dev/disk1", {"B1", "B2", "B3"}, c.second);
  mem.platform.preferences->setBool("EmailDrivePassed", c.mailPassed);
  mem.platform.preferences->setBool("EmailDriveFailing", c.mailFailing);
  mem.platform.preferences->setBool("EmailDriveFailed", c.mailFailed);
  mem.platform.preferences->setObject("EmailSMTPAddress", "smtp.example.org");
  start();
  joinMail();

  auto calls = mailCalls();
  if (c.subject.empty()) {
    EXPECT_TRUE(calls.empty());
  } else {
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0][5], c.subject);
    EXPECT_EQ(calls[0][7], c.body);
  }

  PlistValue::Array records;
  for (const std::string& p : c.problems) {
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
  EXPECT_EQ(platform::dictFromPlist(fileContents()), expected);
  EXPECT_EQ(statusItem->images.back(), (MenuImage{c.icon, 18}));
  EXPECT_EQ(controller->statusImage(), c.icon);
}

INSTANTIATE_TEST_SUITE_P(
    Check, DecisionTableTest,
    testing::Values(
        DecisionCase{3, 2, true, true, true, "Tarvel Menu Item Report (testhost): FAILING AND FAILED DRIVES!",
                     kA + ": FAILED\n" + kB + ": FAILING\n", {kA + " FAILED", kB + " FAILING"}, "Tarvel Red"},
        DecisionCase{1, 1, false, false, false, "", "", {}, "Tarvel Green"},
        DecisionCase{1, 1, true, false, false, "Tarvel Menu Item Report (testhost): All drives passed.",
                     kA + ": PASSED\n" + kB + ": PASSED\n", {}, "Tarvel Green"},
        DecisionCase{2, 1, true, false, true, "Tarvel Menu Item Report (testhost): All drives passed.",
                     kB + ": PASSED\n", {kA + " FAILING"}, "Tarvel Yellow"},
        DecisionCase{0, 1, true, true, true, "Tarvel Menu Item Report (testhost): All drives passed.",
                     kB + ": PASSED\n", {}, "Tarvel Green"},
        DecisionCase{1, 2, false, true, false, "Tarvel Menu Item Report (testhost): FAILING DRIVES!",
                     kB + ": FAILING\n", {kB + " FAILING"}, "Tarvel Yellow"},
        DecisionCase{2, 3, true, false, true, "Tarvel Menu Item Report (testhost): FAILED DRIVES!",
                     kB + ": FAILED\n", {kA + " FAILING", kB + " FAILED"}, "Tarvel Red"},
        DecisionCase{3, 3, false, false, false, "", "", {kA + " FAILED", kB + " FAILED"}, "Tarvel Red"}));

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
