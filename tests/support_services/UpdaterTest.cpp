#include <gtest/gtest.h>

#include <QTest>

#include "HttpTestServer.h"
#include "support/KRSparkleVersionComparator.h"
#include "support/SUUpdater.h"
#include "tests/CaseFile.h"
#include "tests/support/TestPlatform.h"

using testing_support::PlatformTest;

namespace {

std::string infoPlist(const std::string& version, const std::string& feed) {
  std::string plist =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\"><dict>\n"
      "<key>CFBundleExecutable</key><string>tarvel-menu-item</string>\n"
      "<key>CFBundleVersion</key><string>" +
      version + "</string>\n";
  if (!feed.empty()) plist += "<key>SUFeedURL</key><string>" + feed + "</string>\n";
  return plist + "</dict></plist>\n";
}

std::string appcast(const std::vector<std::string>& itemBodies) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">\n"
      "<channel><title>Tarvel Menu Item</title>\n";
  for (const auto& body : itemBodies) xml += "<item>" + body + "</item>\n";
  return xml + "</channel></rss>\n";
}

std::string enclosureItem(const std::string& version) {
  return "<title>Version " + version + "</title><enclosure url=\"http://example.invalid/t-" + version +
         ".tar.gz\" sparkle:version=\"" + version + "\" length=\"1\" type=\"application/octet-stream\"/>";
}

class RecordingDelegate : public SUUpdaterDelegate {
 public:
  bool updaterShouldPromptForPermissionToCheckForUpdates(SUUpdater&) override { return false; }
  SUVersionComparison* versionComparatorForUpdater(SUUpdater&) override {
    ++comparatorRequests;
    return &KRSparkleVersionComparator::defaultComparator();
  }
  void updaterDidFindValidUpdate(SUUpdater&, const SUAppcastItem& update) override { found.push_back(update); }

  int comparatorRequests = 0;
  std::vector<SUAppcastItem> found;
};

class UpdaterTest : public PlatformTest {
 protected:
  std::string bundle(const std::string& version, const std::string& feed) {
    scratch.write("Updater.app/Contents/Info.plist", infoPlist(version, feed));
    return (scratch.path() / "Updater.app").string();
  }
  // Runs one check to its end, as the monitor does at launch.
  void check(SUUpdater& updater) {
    updater.setDelegate(&delegate);
    updater.setAutomaticallyChecksForUpdates(false);
    updater.checkForUpdateInformation();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !updater.isChecking(); }, 20000));
  }

  HttpTestServer server;
  RecordingDelegate delegate;
};

// The cases of tests/support_services/feeds.txt.
TEST_F(UpdaterTest, NewerPublishedVersionIsAnnounced) {
  for (const auto& c : testing_support::readCases("support_services/feeds.txt")) {
    std::vector<std::string> items;
    for (const std::string& item : testing_support::split(c[2]))
      items.push_back(item[0] == '<' ? item : enclosureItem(item));
    server.route("/appcast.xml", 200, appcast(items));
    delegate.found.clear();
    SUUpdater updater(bundle(c[1], server.url("/appcast.xml")));
    check(updater);
    if (c[3] != "-") {
      ASSERT_EQ(delegate.found.size(), 1u) << c.line;
      EXPECT_EQ(delegate.found[0].versionString, c[3]) << c.line;
    } else {
      EXPECT_TRUE(delegate.found.empty()) << c.line;
    }
  }
  EXPECT_GT(delegate.comparatorRequests, 0);
  EXPECT_EQ(mem.log->lines().size(), 0u) << "a good feed logs nothing";
}

TEST_F(UpdaterTest, CheckReturnsAtOnceAndAnnouncesLater) {
  server.route("/appcast.xml", 200, appcast({enclosureItem("9.0.0")}));
  SUUpdater updater(bundle("1.0.0", server.url("/appcast.xml")));
  updater.setDelegate(&delegate);
  updater.checkForUpdateInformation();
  EXPECT_TRUE(updater.isChecking());
  EXPECT_TRUE(delegate.found.empty());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !delegate.found.empty(); }, 20000));
  EXPECT_EQ(delegate.found[0].title, "Version 9.0.0");
  EXPECT_EQ(delegate.found[0].fileURL, "http://example.invalid/t-9.0.0.tar.gz");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].method, "GET");
}

TEST_F(UpdaterTest, BadFeedsAreLoggedAndAnnounceNothing) {
  struct Case {
    const char* name;
    int status;
    std::string body;
    bool hang;
    const char* logged;
  };
  const Case cases[] = {
      {"malformed", 200, "<rss><channel><item><enclosure sparkle:version=\"9\"></channel>", false, "is malformed"},
      {"not-rss", 200, "<html><body>moved</body></html>", false, "not an RSS feed"},
      {"not-xml", 200, "garbage", false, "is malformed"},
      {"missing", 404, "gone", false, "Update check failed:"},
      {"slow", 200, "", true, "no complete answer from"},
  };
  for (const auto& c : cases) {
    mem.log->clear();
    delegate.found.clear();
    std::string path = std::string("/") + c.name;
    server.route(path, c.status, c.body, c.hang);
    SUUpdater updater(bundle("1.0.0", server.url(path)));
    updater.setFeedTimeout(300);
    check(updater);
    EXPECT_TRUE(delegate.found.empty()) << c.name;
    EXPECT_TRUE(mem.log->contains(c.logged)) << c.name << ": " << ::testing::PrintToString(mem.log->lines());
  }
}

TEST_F(UpdaterTest, UnreachableOrBadFeedIsLoggedAndNoFeedIsNoCheck) {
  SUUpdater unreachable(bundle("1.0.0", HttpTestServer::closedPortUrl("/appcast.xml")));
  check(unreachable);
  EXPECT_TRUE(mem.log->contains("Update check failed:"));

  mem.log->clear();
  SUUpdater unconfigured(bundle("1.0.0", ""));
  unconfigured.setDelegate(&delegate);
  unconfigured.checkForUpdateInformation();
  EXPECT_FALSE(unconfigured.isChecking());
  EXPECT_EQ(mem.log->lines(), std::vector<std::string>{}) << "a build without a feed checks and says nothing";

  mem.log->clear();
  SUUpdater bad(bundle("1.0.0", "http://[::1"));
  bad.checkForUpdateInformation();
  EXPECT_TRUE(mem.log->contains("is not valid"));
  EXPECT_TRUE(delegate.found.empty());
}

}  // namespace
