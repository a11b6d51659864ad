// The check whose smartctl work runs elsewhere (the tray runs it on a thread
// of its own): what the controller does while it waits, and how it shows a
// drive whose smartctl stopped answering.
#include "tests/monitor/MonitorFixture.h"

namespace monitor_test {
namespace {

// A scanner that finishes its work only when the test says so, as a worker
// thread delivering its result through the event loop would.
class DeferredScanner : public FakeScanner {
 public:
  void startScan(std::function<void(bool)> done) override {
    waiting.push_back([this, done] { done(scanForDrives()); });
  }
  void startUpdate(std::function<void()> done) override {
    waiting.push_back([this, done] {
      updateDrives();
      done();
    });
  }
  // Ends the work under way; false when there was none.
  bool finish() {
    if (waiting.empty()) return false;
    auto work = std::move(waiting.front());
    waiting.erase(waiting.begin());
    work();
    return true;
  }
  std::vector<std::function<void()>> waiting;
};

class BackgroundCheckTest : public MonitorTest {
 protected:
  BackgroundCheckTest() {
    auto deferred = std::make_unique<DeferredScanner>();
    worker = deferred.get();
    scanner = worker;
    pendingScanner = std::move(deferred);
  }
  DeferredScanner* worker = nullptr;
};

TEST_F(BackgroundCheckTest, RequestsDuringACheckWaitForItAndMergeIntoOne) {
  scanner->nextScan.push_back(makeDrive("/dev/disk0", {"Data"}));
  answerHealth("/dev/disk0", "PASSED");
  start();
  EXPECT_TRUE(controller->isChecking());
  ASSERT_TRUE(worker->finish());  // the scan; the check starts
  EXPECT_TRUE(controller->isChecking());
  ASSERT_TRUE(worker->finish());
  EXPECT_FALSE(controller->isChecking());
  const std::vector<std::string> first = statusItem->shownMenu;
  ASSERT_EQ(first[0], "Data icon=Tarvel Green@32");

  // Ticks and menu choices while a check runs: the menu stays the last
  // check's, the panel can still be read, and Quit is obeyed at once.
  controller->perform(MenuAction::UpdateDrives);
  EXPECT_TRUE(controller->isChecking());
  timers->only().tick();
  controller->perform(MenuAction::UpdateDrives);
  EXPECT_EQ(worker->waiting.size(), 1u) << "checks never overlap";
  EXPECT_EQ(menu(), first);
  controller->perform(MenuAction::Quit);
  EXPECT_EQ(terminations, 1);

  // The requests made meanwhile become one check after it.
  ASSERT_TRUE(worker->finish());
  EXPECT_EQ(worker->waiting.size(), 1u);
  ASSERT_TRUE(worker->finish());
  EXPECT_FALSE(worker->finish());
  EXPECT_EQ(scanner->updates, 3);
  EXPECT_EQ(menu(), first);

  // A rescan asked for during a check outranks the checks asked for with it.
  controller->perform(MenuAction::UpdateDrives);
  controller->perform(MenuAction::UpdateDrives);
  controller->perform(MenuAction::ScanForDrives);
  timers->only().tick();
  ASSERT_TRUE(worker->finish());
  ASSERT_TRUE(worker->finish());  // the rescan
  ASSERT_TRUE(worker->finish());  // and its check
  EXPECT_FALSE(worker->finish());
  EXPECT_EQ(scanner->scans, 2);
  EXPECT_EQ(scanner->updates, 5);
}

TEST_F(BackgroundCheckTest, ControllerGoingAwayDuringACheckIsSafe) {
  scanner->nextScan.push_back(makeDrive("/dev/disk0", {"Data"}));
  start();
  ASSERT_TRUE(worker->finish());
  EXPECT_TRUE(controller->isChecking());
  controller->applicationWillTerminate();
  worker->waiting.clear();  // what a stopped worker does: no result
  controller.reset();
}

class UnansweredDriveTest : public MonitorTest {};

// smartctl never answers for one drive: it is listed, unknown, with the
// reason, and the icon warns; the other drives report as usual.
TEST_F(UnansweredDriveTest, ShownUnknownWithTheReasonAndAWarning) {
  mem.platform.preferences->setObject("SmartctlTimeout", PlistValue(1.0));
  scanner->nextScan.push_back(makeDrive("/dev/disk0", {"Data"}));
  answerHealth("/dev/disk0", "PASSED");
  scanner->nextScan.push_back(makeDrive("/dev/disk1", {"Dying"}));
  fake.hang({"-i", "/dev/disk1"});
  start();

  const std::vector<std::string> all = menu();
  ASSERT_GE(all.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + 4),
            (std::vector<std::string>{"Dying icon=Tarvel Yellow@32",
                                      "Overall Status: UNKNOWN (smartctl did not answer within 1 seconds) (disabled) "
                                      "indent=3",
                                      "Data icon=Tarvel Green@32", "Overall Status: Passed (disabled) indent=3"}));
  EXPECT_EQ(statusItem->images.back(), (MenuImage{"Tarvel Yellow", 18}));
  ASSERT_EQ(notifier->posted().size(), 2u);
  EXPECT_EQ(notifier->posted()[1],
            (platform::DesktopNotification{"CAUTION: DRIVE NOT ANSWERING!",
                                           "The drive Dying is UNKNOWN: smartctl did not answer within 1 seconds. A "
                                           "drive that stops answering may be failing; it is recommended to backup "
                                           "all files.",
                                           "DriveFailing", icon("Tarvel Yellow"), 0, true}));
  // Not a problem drive for the main application: its health is unknown.
  EXPECT_NE(testing_support::readFile(driveListPath()).find("<integer>0</integer>"), std::string::npos);
  for (pid_t pid : fake.hungProcesses()) EXPECT_TRUE(testing_support::processEnded(pid));
}

}  // namespace
}  // namespace monitor_test
