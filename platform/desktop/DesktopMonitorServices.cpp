#include "platform/desktop/DesktopMonitorServices.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDateTime>
#include <QtCore/QLocale>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusConnectionInterface>

#include <filesystem>

#include "monitor/PreferenceKeys.h"
#include "platform/Domains.h"
#include "platform/desktop/ApplicationLauncher.h"
#include "platform/desktop/DBusDistributedCenter.h"
#include "platform/desktop/DBusNotifier.h"
#include "platform/desktop/QtTimers.h"
#include "support/EMKeychainItem.h"

namespace platform::desktop {

namespace {

class DistributedAdapter : public DistributedNotifications {
 public:
  explicit DistributedAdapter(std::shared_ptr<DistributedNotificationCenter> center) : center_(std::move(center)) {}
  void addObserver(const std::string& name, Handler handler) override {
    center_->addObserver(name, [handler = std::move(handler)](const std::string&, const std::string& object) {
      handler(object);
    });
  }
  void removeAllObservers() override { center_->removeAllObservers(); }
  void post(const std::string& name, const std::string& object) override { center_->post(name, object); }

 private:
  std::shared_ptr<DistributedNotificationCenter> center_;
};

// The notification service always names the application "Tarvel", which is
// also the name the monitor's delegate gives.
class NotifierAdapter : public DesktopNotifier {
 public:
  NotifierAdapter(std::shared_ptr<Notifier> notifier, std::string resources)
      : notifier_(std::move(notifier)), resources_(std::move(resources)) {}
  void setApplicationName(const std::string&) override {}
  void notify(const ::DesktopNotification& n) override {
    std::string icon;
    if (!n.iconResourceName.empty())
      icon = (std::filesystem::path(resources_) / (n.iconResourceName + ".png")).string();
    notifier_->notify({n.title, n.description, n.notificationName, icon, n.priority, n.sticky});
  }

 private:
  std::shared_ptr<Notifier> notifier_;
  std::string resources_;
};

}  // namespace

std::shared_ptr<DistributedNotifications> monitorNotifications(std::shared_ptr<DistributedNotificationCenter> center) {
  return std::make_shared<DistributedAdapter>(std::move(center));
}

std::shared_ptr<DesktopNotifier> monitorNotifier(std::shared_ptr<Notifier> notifier, std::string resourcesPath) {
  return std::make_shared<NotifierAdapter>(std::move(notifier), std::move(resourcesPath));
}

std::optional<std::string> keychainPassword(const std::string& service, const std::string& account) {
  auto item = EMGenericKeychainItem::genericKeychainItemForService(keychainString(service), keychainString(account));
  if (!item) return std::nullopt;
  KeychainString password = item->password();
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

MonitorServices makeDesktopMonitorServices(Log* log, const std::string& resourcesPath) {
  MonitorServices s;
  s.menuItemBundleIdentifier = kMenuItemDomain;
  s.mainAppBundleIdentifier = kMainAppDomain;
  s.registeredDefaults = registeredDefaults();
  s.distributedNotifications = monitorNotifications(makeDBusDistributedCenter(log));
  s.notifier = monitorNotifier(makeDBusNotifier(log), resourcesPath);
  s.timers = std::make_shared<QtTimerService>();
  // The main application's desktop entry may also go by its identifier.
  s.launchApplication = [](const std::string& name) { return launchApplicationNamed(name, {kMainAppDomain}); };
  s.terminateApplication = [] { QCoreApplication::quit(); };
  s.shortDateTimeNow = shortDateTimeNow;
  s.passwordLookup = keychainPassword;
  return s;
}

}  // namespace platform::desktop
