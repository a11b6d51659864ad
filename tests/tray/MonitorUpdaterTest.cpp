// The monitor's controller with the real updater: a newer version on the
// feed shows up in the menu, in the main application's domain and as a
// launch of the main application.
#include <QTest>

#include "tests/support_services/HttpTestServer.h"
#include "app/tray/MonitorUpdater.h"
#include "tests/monitor/MonitorFixture.h"

namespace monitor_test {
namespace {

class MonitorUpdaterTest : public MonitorTest {
 protected:
  void SetUp() override {
    scanner->nextScan.push_back(makeDrive("/dev/disk0", {"Macintosh HD"}));
    answerHealth("/dev/disk0", "PASSED");
    std::ofstream(fs::path(fake.bundlePath()) / "Contents/Info.plist")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>\n"
           "<key>CFBundleVersion</key><string>1.0.0</string>\n"
           "<key>SUFeedURL</key><string>" + server.url("/appcast.xml") + "</string>\n</dict></plist>\n";
  }
  void publish(const std::string& version) {
    server.route("/appcast.xml", 200,
                 "<rss xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel><item>"
                 "<enclosure url=\"http://example.invalid/t.tar.gz\" sparkle:version=\"" + version +
                 "\"/></item></channel></rss>");
  }
  void launchWithUpdater() {
    MonitorServices s = services();
    s.makeUpdater = [this] { return std::make_unique<tray::MonitorUpdater>(fake.bundlePath()); };
    controller = std::make_unique<KRTarvelMenuItemController>(std::move(s));
    controller->awakeFromNib();
    controller->applicationDidFinishLaunching();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !SUUpdater::updaterForBundle(fake.bundlePath()).isChecking(); },
                                20000));
  }

  HttpTestServer server;
};

TEST_F(MonitorUpdaterTest, NewerVersionIsAnnouncedHandedOnAndLaunched) {
  publish("1.0.1");
  launchWithUpdater();
  ASSERT_FALSE(menu().empty());
  EXPECT_EQ(menu().back(), "An update is available ->launchTarvel");
  EXPECT_EQ(statusItem->shownMenu, menu());
  EXPECT_EQ(mem.store->load("org.tarvel.main"), (PlistValue::Dict{{"UpdateAvailable", PlistValue(true)}}));
  EXPECT_EQ(launched, std::vector<std::string>{"Tarvel"});

  // The next check rebuilds the menu without it.
  controller->perform(MenuAction::UpdateDrives);
  EXPECT_NE(menu().back(), "An update is available ->launchTarvel");
}

TEST_F(MonitorUpdaterTest, SameVersionChangesNothing) {
  publish("1.0.0");
  launchWithUpdater();
  EXPECT_EQ(menu().back(), "Quit ->quit [q]");
  EXPECT_EQ(mem.store->load("org.tarvel.main"), std::nullopt);
  EXPECT_TRUE(launched.empty());
  ASSERT_EQ(server.requests().size(), 1u) << "one check at launch, none after";
}

TEST_F(MonitorUpdaterTest, EachFoundUpdateAddsAnItemAndLaunchesAgain) {
  start();
  Updater updater;
  mem.store->save("org.tarvel.main", {{"PollDrives", PlistValue(false)}});
  const auto before = menu();
  controller->updaterDidFindValidUpdate(updater, "2.0");
  controller->updaterDidFindValidUpdate(updater, "2.0");
  auto after = menu();
  ASSERT_EQ(after.size(), before.size() + 2);
  EXPECT_EQ(after[after.size() - 2], "An update is available ->launchTarvel");
  EXPECT_EQ(after.back(), "An update is available ->launchTarvel");
  EXPECT_EQ(launched, (std::vector<std::string>{"Tarvel", "Tarvel"}));
  EXPECT_EQ(mem.store->load("org.tarvel.main"),
            (PlistValue::Dict{{"PollDrives", PlistValue(false)}, {"UpdateAvailable", PlistValue(true)}}));
}

}  // namespace
}  // namespace monitor_test
