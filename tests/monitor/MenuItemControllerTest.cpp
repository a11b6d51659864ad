// Start-up, shut-down, the notifications from the main application and the
// polling timer.
#include <cmath>

#include "tests/monitor/MonitorFixture.h"

namespace monitor_test {
namespace {

class MenuItemControllerTest : public MonitorTest {
 protected:
  void SetUp() override {
    scanner->nextScan.push_back(makeDrive("/dev/disk0", {"Macintosh HD"}));
    answerHealth("/dev/disk0", "PASSED");
  }
  size_t healthRuns() {
    size_t n = 0;
    for (const auto& call : fake.calls()) n += call == "-H /dev/disk0";
    return n;
  }
};

TEST_F(MenuItemControllerTest, AwakeFromNibSetsUpPreferencesObserversAndStatusItem) {
  notifier->setApplicationName("unnamed");
  controller = std::make_unique<KRTarvelMenuItemController>(services());
  controller->awakeFromNib();

  EXPECT_EQ(distributed->observedNames(), (std::vector<std::string>{"TRPrefsChanged", "TRQuit"}));
  EXPECT_EQ(notifier->applicationName(), "Tarvel");

  ASSERT_NE(statusItem, nullptr);
  EXPECT_EQ(statusItem->images, (std::vector<MenuImage>{{"Tarvel Green", 18}}));
  EXPECT_EQ(statusItem->menu, &controller->menu());
  EXPECT_EQ(statusItem->toolTip, "Tarvel");
  EXPECT_TRUE(statusItem->highlight);
  EXPECT_EQ(menu(), kBaseMenu);  // usable before the first check
  EXPECT_EQ(scanner->scans, 0);
}

struct FakeUpdater : Updater {
  void setDelegate(KRTarvelMenuItemController* d) override { delegate = d; }
  void setAutomaticallyChecksForUpdates(bool on) override { automatic = on; }
  void checkForUpdateInformation() override { ++checks; }
  KRTarvelMenuItemController* delegate = nullptr;
  bool automatic = true;
  int checks = 0;
};

TEST_F(MenuItemControllerTest, LaunchScansAndChecksAtOnceAndPollsAnHourLater) {
  FakeUpdater* updater = nullptr;
  MonitorServices s = services();
  s.makeUpdater = [&] {
    auto u = std::make_unique<FakeUpdater>();
    updater = u.get();
    return u;
  };
  controller = std::make_unique<KRTarvelMenuItemController>(std::move(s));
  controller->awakeFromNib();
  controller->applicationDidFinishLaunching();
  ASSERT_NE(updater, nullptr);
  EXPECT_EQ(updater->delegate, controller.get());
  EXPECT_FALSE(updater->automatic);
  EXPECT_EQ(updater->checks, 1);
  EXPECT_FALSE(controller->updaterShouldPromptForPermissionToCheckForUpdates(*updater));

  EXPECT_EQ(scanner->scans, 1);
  EXPECT_EQ(healthRuns(), 1u);
  EXPECT_EQ(controller->getOverallStatus(), 1);
  ASSERT_EQ(timers->timers.size(), 1u);
  EXPECT_EQ(timers->only().period, 3600);

  timers->only().tick();
  EXPECT_EQ(healthRuns(), 2u);
  EXPECT_EQ(scanner->scans, 1);  // a tick checks, it does not scan
}

TEST_F(MenuItemControllerTest, PrefsChangedAppliesPollDrivesButNotANewInterval) {
  start();
  const auto first = timers->timers.begin()->first;

  mem.platform.preferences->setObject("PollingInterval", 600);
  ASSERT_TRUE(distributed->receive("TRPrefsChanged"));
  ASSERT_EQ(timers->timers.size(), 1u);
  EXPECT_EQ(timers->timers.begin()->first, first);
  EXPECT_EQ(timers->only().period, 3600);

  mem.platform.preferences->setBool("PollDrives", false);
  distributed->receive("TRPrefsChanged");
  EXPECT_TRUE(timers->timers.empty());
  EXPECT_FALSE(controller->isPolling());

  mem.platform.preferences->setBool("PollDrives", true);
  distributed->receive("TRPrefsChanged");
  EXPECT_EQ(timers->only().period, 600);
  EXPECT_EQ(healthRuns(), 1u);  // nothing is checked because of a preference change
}

TEST_F(MenuItemControllerTest, PollDrivesOffMeansNoTimerButMenuCommandsWork) {
  mem.platform.preferences->setBool("PollDrives", false);
  start();
  EXPECT_TRUE(timers->timers.empty());
  controller->perform(MenuAction::UpdateDrives);
  controller->perform(MenuAction::ScanForDrives);
  EXPECT_EQ(healthRuns(), 3u);
  EXPECT_EQ(scanner->scans, 2);
}

TEST_F(MenuItemControllerTest, UnusablePollingIntervalsAreGuarded) {
  struct Case {
    PlistValue value;
    double period;
  };
  const Case cases[] = {
      {0, 3600},       {-5, 3600},     {std::nan(""), 3600}, {"abc", 3600}, {HUGE_VAL, 3600}, {"30", 60},
      {0.5, 60},       {"90", 90},     {7200.5, 7200.5},     {1e12, 2e6},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(guardedPollingInterval(PlistValue(c.value).toDouble()), c.period) << c.value.describe();
  }

  mem.platform.preferences->setObject("PollingInterval", "-1");
  start();
  EXPECT_EQ(timers->only().period, 3600);
  EXPECT_TRUE(mem.log->contains("polling every 3600 seconds"));
}

TEST_F(MenuItemControllerTest, TerminatePostsUnloadAndStopsEverything) {
  start();
  controller->applicationWillTerminate();
  EXPECT_TRUE(distributed->observedNames().empty());
  EXPECT_EQ(distributed->posted(),
            (std::vector<std::pair<std::string, std::string>>{{"org.tarvel.menuitem", "tarvelMenuItemUnload"}}));
  EXPECT_TRUE(timers->timers.empty());
  EXPECT_FALSE(distributed->receive("TRPrefsChanged"));
}

}  // namespace
}  // namespace monitor_test
