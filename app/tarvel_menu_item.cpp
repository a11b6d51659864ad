// tarvel-menu-item: the Tarvel icon in the desktop panel. It checks the
// drives' SMART health at start-up, on a timer and on request, and reports
// by its menu and icon, desktop notifications, the drive list file and
// e-mail.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include <QtCore/QTimer>
#include <QtWidgets/QApplication>

#include "app/tray/DesktopMonitorServices.h"
#include "app/tray/MonitorUpdater.h"
#include "app/tray/TrayDriveSource.h"
#include "app/tray/TrayOptions.h"
#include "app/tray/TrayStartup.h"
#include "app/tray/TrayStatusItem.h"
#include "monitor/KRTarvelMenuItemController.h"
#include "platform/Domains.h"
#include "platform/Platform.h"
#include "platform/desktop/QuitOnSignals.h"
#include "support/BundleInfo.h"
#include "support/CrashCheck.h"
#include "support/CrashLogWriter.h"

namespace {

// The e-mail threads a check starts, so that the program does not take
// the platform away from one still sending when it ends.
struct MailThreads {
  std::mutex mutex;
  std::condition_variable ended;
  int running = 0;

  bool waitFor(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex);
    return ended.wait_for(lock, limit, [this] { return running == 0; });
  }
};

bool hasArgument(int argc, char** argv, std::initializer_list<const char*> names) {
  for (int i = 1; i < argc; ++i)
    for (const char* name : names)
      if (std::string(argv[i]) == name) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // These two work without a desktop.
  if (hasArgument(argc, argv, {"-h", "--help"})) {
    std::fputs(tray::trayUsage().c_str(), stdout);
    return 0;
  }
  if (hasArgument(argc, argv, {"--version"})) {
    std::printf("tarvel-menu-item %s\n", TARVEL_VERSION);
    return 0;
  }
  // Qt would abort without a display; say what is wrong instead.
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
    std::fputs("tarvel-menu-item: no graphical session (DISPLAY and WAYLAND_DISPLAY are not set). It lives in "
               "the desktop's panel and starts at log-in; on a server, use 'tarvel' instead.\n",
               stderr);
    return 1;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarvel"));
  QApplication::setDesktopFileName(QStringLiteral("tarvel-menu-item"));
  // The monitor has no window; closing an alert must not end it.
  QApplication::setQuitOnLastWindowClosed(false);

  std::vector<std::string> args;
  for (const QString& a : QCoreApplication::arguments().mid(1)) args.push_back(a.toStdString());
  const tray::TrayOptions options = tray::parseTrayOptions(args);
  if (options.error) {
    std::fprintf(stderr, "tarvel-menu-item: %s\n%s", options.error->c_str(), tray::trayUsage().c_str());
    return 2;
  }

  tray::installTrayPlatform(options.verbose);
  // Nothing else on Linux writes a crash log for this program; the README
  // asks for it with bug reports.
  support::installCrashLogWriter(support::crashLogFolder(),
                                 support::bundleInfoString(platform::bundle().bundlePath, "CFBundleExecutable").value_or("tarvel-menu-item"));
  platform::Log* log = platform::current().log.get();
  // One monitor per session: a second one (started by hand next to the
  // autostarted one) would show a second icon and report every drive twice.
  if (!tray::claimBusName(platform::kMenuItemDomain)) {
    platform::log("Tarvel Menu Item is already running in this session.");
    std::fputs("tarvel-menu-item: already running in this session\n", stderr);
    return 0;
  }
  tray::ResourceImages images(platform::bundle().resourcesPath, log);

  discovery::NamingProfile naming = discovery::nativeNaming();
  if (options.listingsFolder) {
    naming.lsPath = *options.listingsFolder + "/ls";
    naming.dfPath = *options.listingsFolder + "/df";
  }

  KRTarvelMenuItemController* controller = nullptr;
  tray::TrayStatusItem* statusItem = nullptr;
  tray::TrayDriveSource* driveSource = nullptr;
  monitor::MonitorServices services = tray::makeDesktopMonitorServices(log);
  services.makeStatusItem = [&] {
    auto item = std::make_unique<tray::TrayStatusItem>(
        images, [&controller](monitor::MenuAction action) { controller->perform(action); });
    statusItem = item.get();
    return item;
  };
  services.makeUpdater = [bundlePath = platform::bundle().bundlePath] {
    return std::make_unique<tray::MonitorUpdater>(bundlePath);
  };
  auto mailThreads = std::make_shared<MailThreads>();
  services.detachThread = [mailThreads](std::function<void()> work) {
    std::lock_guard lock(mailThreads->mutex);
    std::thread([mailThreads, work = std::move(work)] {
      work();
      std::lock_guard lock(mailThreads->mutex);
      --mailThreads->running;
      mailThreads->ended.notify_all();
    }).detach();
    ++mailThreads->running;
  };
  services.makeScanner = [&statusItem, &driveSource, naming] {
    auto source = std::make_unique<tray::TrayDriveSource>(naming, [&statusItem](std::vector<std::string> lines) {
      if (statusItem) statusItem->setNotice(std::move(lines));
    });
    driveSource = source.get();
    return source;
  };

  KRTarvelMenuItemController monitor(std::move(services));
  controller = &monitor;
  auto signalWatch = platform::desktop::quitOnTerminationSignals();

  monitor.awakeFromNib();
  // Qt shows the icon as soon as a tray turns up (an XEmbed tray, or a
  // StatusNotifierItem watcher that restarts), so the monitor keeps
  // checking meanwhile and only says so.
  if (!QSystemTrayIcon::isSystemTrayAvailable())
    platform::log("No system tray is available yet: the Tarvel icon will show when the desktop's panel "
                  "offers one. The drives are checked and reported all the same.");
  QObject::connect(&app, &QCoreApplication::aboutToQuit, [&monitor] {
    monitor.applicationWillTerminate();
    tray::flushSessionBus();
  });
  QTimer::singleShot(0, &app, [&monitor] { monitor.applicationDidFinishLaunching(); });
  const int status = QApplication::exec();
  // A check may be under way: its smartctl runs are killed. Should its
  // thread still not end (stuck on a disk that no longer answers), the
  // program ends without it rather than wait or take its data away.
  const bool checkEnded = !driveSource || driveSource->stop(std::chrono::seconds(3));
  if (!checkEnded || !mailThreads->waitFor(std::chrono::seconds(2))) {
    platform::log(checkEnded ? "An e-mail report is still being sent; Tarvel Menu Item ends without waiting for it."
                             : "The drive check did not stop in time; Tarvel Menu Item ends without waiting for it.");
    std::fflush(nullptr);
    std::_Exit(status);
  }
  return status;
}
