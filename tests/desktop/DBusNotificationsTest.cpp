// Distributed and desktop notifications on the private session bus that
// dbus-run-session gives each test.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtCore/QCoreApplication>
#include <QtCore/QDeadlineTimer>
#include <QtCore/QObject>
#include <QtDBus/QDBusArgument>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusConnectionInterface>
#include <QtGui/QColor>

#include <sstream>

#include "app/cli/NotifyCommand.h"
#include "platform/desktop/DBusDistributedCenter.h"
#include "platform/desktop/DBusNotifier.h"
#include "platform/memory/MemoryPlatform.h"
#include "tests/support/CapturingDaemon.h"
#include "tests/support/RunProcess.h"

namespace {

// Runs the main loop until `done` or a generous limit; the limit only
// keeps a broken test from hanging.
bool spinUntil(const std::function<bool()>& done) {
  QDeadlineTimer limit(20000);
  while (!done() && !limit.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  return done();
}

// A bus round trip: replies come in order, so afterwards every earlier
// reply has arrived.
void roundTrip() {
  QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus"));
}

}  // namespace

TEST(DistributedNotifications, ObserversGetPostsFromTheNotifyCommandAndOtherProcesses) {
  platform::memory::MemoryLog log;
  auto center = platform::desktop::makeDBusDistributedCenter(&log);
  std::vector<std::pair<std::string, std::string>> prefs, quits;
  center->addObserver("TRPrefsChanged", [&](const std::string& n, const std::string& o) { prefs.emplace_back(n, o); });
  int quitToken =
      center->addObserver("TRQuit", [&](const std::string& n, const std::string& o) { quits.emplace_back(n, o); });

  std::ostringstream out, err;
  ASSERT_EQ(cli::runNotifyCommand({"TRPrefsChanged", "from the command"}, out, err), 0) << err.str();
  ASSERT_TRUE(spinUntil([&] { return !prefs.empty(); }));
  EXPECT_EQ(prefs[0], (std::pair<std::string, std::string>{"TRPrefsChanged", "from the command"}));

  // Another process speaking plain D-Bus.
  auto sent = testing_support::runProcess({"/usr/bin/dbus-send", "--session", "--type=signal",
                                           platform::desktop::kPath, "org.tarvel.Notifications.Notification",
                                           "string:TRQuit", "string:"});
  ASSERT_EQ(sent.status, 0) << sent.err;
  ASSERT_TRUE(spinUntil([&] { return !quits.empty(); }));
  EXPECT_EQ(quits[0], (std::pair<std::string, std::string>{"TRQuit", ""}));

  // Own posts come back too; removed observers hear nothing.
  center->removeObserver(quitToken);
  center->post("TRQuit", "x");
  center->post("TRPrefsChanged", "again");
  ASSERT_TRUE(spinUntil([&] { return prefs.size() == 2; }));
  roundTrip();
  QCoreApplication::processEvents();
  EXPECT_EQ(quits.size(), 1u);
  EXPECT_EQ(prefs.size(), 2u);
  EXPECT_TRUE(log.lines().empty());
}

TEST(DistributedNotifications, NotifyCommandUsage) {
  std::ostringstream out, err;
  EXPECT_EQ(cli::runNotifyCommand({}, out, err), 2);
  EXPECT_NE(err.str().find("usage: tarvel notify NAME [OBJECT]"), std::string::npos);
  EXPECT_EQ(cli::runNotifyCommand({"A", "B", "C"}, out, err), 2);
}

TEST(DistributedNotifications, NotifyCommandWithoutSessionBusSaysSo) {
  // In a child, before this process has touched the bus, so that the child
  // makes its own first (and failing) connection.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    std::ostringstream out, err;
    int status = cli::runNotifyCommand({"TRQuit"}, out, err);
    bool said = err.str().find("Could not post TRQuit: no D-Bus session bus") != std::string::npos;
    _exit(status == 1 && said ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(DesktopNotifications, DaemonReceivesEscapedTextAndTheIconAsPixels) {
  CapturingDaemon daemon;
  ASSERT_TRUE(daemon.ok);
  platform::memory::MemoryLog log;
  auto notifier = platform::desktop::makeDBusNotifier(&log);
  std::string red = std::string(TARVEL_BUNDLE_DIR) + "/Contents/Resources/Tarvel Red.png";
  notifier->notify({"WARNING: DRIVE FAILED!", "The drive <disk0> & co has failed.", "DriveFailed", red, 0, true});
  notifier->notify({"Drive Passed", "The drive A passed.", "DriveFailing", "", 0, false});
  ASSERT_TRUE(spinUntil([&] { return daemon.received.size() == 2; }));

  // The panel test pins the other fields; here the markup and the image.
  const auto& sticky = daemon.received[0];
  EXPECT_EQ(sticky.body, "The drive &lt;disk0&gt; &amp; co has failed.");
  ASSERT_TRUE(sticky.hints.contains("image-data"));
  const QDBusArgument image = sticky.hints.value("image-data").value<QDBusArgument>();
  EXPECT_EQ(image.currentSignature(), "(iiibiiay)");
  int w, h, stride, bits, channels;
  bool alpha;
  QByteArray pixels;
  image.beginStructure();
  image >> w >> h >> stride >> alpha >> bits >> channels >> pixels;
  image.endStructure();
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 64);
  EXPECT_EQ(stride, 64 * 4);
  EXPECT_TRUE(alpha);
  EXPECT_EQ(bits, 8);
  EXPECT_EQ(channels, 4);
  ASSERT_EQ(pixels.size(), 64 * 64 * 4);
  auto px = [&](int x, int y, int c) { return static_cast<unsigned char>(pixels[(y * 64 + x) * 4 + c]); };
  EXPECT_GT(px(40, 40, 0), px(40, 40, 1) + 100);  // red disk, opaque in the middle
  EXPECT_EQ(px(40, 40, 3), 255);
  EXPECT_EQ(px(0, 0, 3), 0);  // transparent corner

  EXPECT_FALSE(daemon.received[1].hints.contains("image-data"));
  EXPECT_TRUE(log.lines().empty());
}

TEST(DesktopNotifications, MissingDaemonIsLoggedOnceAndDoesNotStopTheCaller) {
  platform::memory::MemoryLog log;
  auto notifier = platform::desktop::makeDBusNotifier(&log);
  for (int i = 0; i < 3; ++i) notifier->notify({"T", "D", "DriveFailing", "", 0, false});
  ASSERT_TRUE(spinUntil([&] { return !log.lines().empty(); }));
  roundTrip();
  QCoreApplication::processEvents();
  ASSERT_EQ(log.lines().size(), 1u);
  EXPECT_NE(log.lines()[0].find("Desktop notifications are not available: "), std::string::npos);

}

TEST(DesktopNotifications, UrgencyFromPriorityUnlessSticky) {
  struct Case {
    int priority;
    bool sticky;
    int urgency;
  } cases[] = {{-2, false, 0}, {-1, false, 0}, {0, false, 1}, {1, false, 1},
               {2, false, 2},  {-2, true, 2},  {0, true, 2}};
  for (const auto& c : cases) {
    platform::DesktopNotification n;
    n.priority = c.priority;
    n.sticky = c.sticky;
    EXPECT_EQ(platform::desktop::urgencyFor(n), c.urgency) << c.priority << " " << c.sticky;
  }
}
