#include "app/tray/DesktopMonitorServices.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDateTime>
#include <QtCore/QLocale>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusConnectionInterface>

#include "app/tray/QtTimers.h"
#include "monitor/RegisteredDefaults.h"
#include "platform/Domains.h"
#include "platform/desktop/ApplicationLauncher.h"
#include "platform/desktop/DBusDistributedCenter.h"
#include "platform/desktop/DBusNotifier.h"
#include "support/EMKeychainItem.h"

namespace tray {

std::optional<std::string> keychainPassword(const std::string& service, const std::string& account) {
  auto item = EMGenericKeychainItem::genericKeychainItemForService(support::keychainString(service), support::keychainString(account));
  if (!item) return std::nullopt;
  support::KeychainString password = item->password();
  if (!password) return std::nullopt;
  return *password;
}

std::string shortDateTimeNow() {
  const QLocale locale = QLocale::system();
  const QDateTime now = QDateTime::currentDateTime();
  return (locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
          locale.toString(now.time(), QLocale::ShortFormat))
      .toStdString();
}

bool claimBusName(const std::string& name) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return true;
  return bus.registerService(QString::fromStdString(name));
}

void flushSessionBus() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  // Messages leave in order: once this call is answered, the earlier ones are out.
  if (bus.isConnected()) bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus"));
}

monitor::MonitorServices makeDesktopMonitorServices(platform::Log* log) {
  using platform::kMainAppDomain;
  monitor::MonitorServices s;
  s.menuItemBundleIdentifier = platform::kMenuItemDomain;
  s.mainAppBundleIdentifier = kMainAppDomain;
  s.registeredDefaults = monitor::registeredDefaults();
  s.distributedNotifications = platform::desktop::makeDBusDistributedCenter(log);
  s.notifier = platform::desktop::makeDBusNotifier(log);
  s.timers = std::make_shared<QtTimerService>();
  // The main application's desktop entry may also go by its identifier.
  s.launchApplication = [](const std::string& name) {
    return platform::desktop::launchApplicationNamed(name, {kMainAppDomain});
  };
  s.terminateApplication = [] { QCoreApplication::quit(); };
  s.shortDateTimeNow = shortDateTimeNow;
  s.passwordLookup = keychainPassword;
  return s;
}

}  // namespace tray
