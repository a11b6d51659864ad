// The check whose smartctl work runs elsewhere (the tray runs it on a thread
// of its own): what the controller does while it waits.
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

}  // namespace
}  // namespace monitor_test
