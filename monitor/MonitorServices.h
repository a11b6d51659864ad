// What the tray monitor needs from the desktop, as small interfaces the
// controller calls and a desktop adapter implements (tests use fakes).
// Everything is called on the main thread except the password look-up,
// which runs on the e-mail thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "monitor/DriveSource.h"
#include "monitor/MenuModel.h"
#include "platform/DistributedNotifications.h"
#include "platform/Notifier.h"
#include "platform/PlistValue.h"

class KRTarvelMenuItemController;

namespace monitor {

// The icon in the panel and the menu it opens.
class StatusItemView {
 public:
  virtual ~StatusItemView() = default;
  // An image resource of the bundle ("Tarvel Green", ...), size by size points.
  virtual void setImage(const std::string& resourceName, int size) = 0;
  // The menu stays owned by the controller and lives as long as the item.
  virtual void setMenu(const Menu& menu) = 0;
  // The menu has been changed and is complete again: mirror it now.
  virtual void menuDidChange() = 0;
  virtual void setToolTip(const std::string& text) = 0;
  // Drawn highlighted while the menu is open.
  virtual void setHighlightMode(bool on) = 0;
};

// Repeating timers on the main loop. A period is always at least a minute
// and at most a few weeks (the controller guards it).
class TimerService {
 public:
  using Handle = uint64_t;
  virtual ~TimerService() = default;
  // The first tick comes one full period after scheduling.
  virtual Handle scheduleRepeating(double seconds, std::function<void()> tick) = 0;
  virtual void invalidate(Handle handle) = 0;
};


// The self-updater (app/tray/MonitorUpdater.h on the desktop); the default
// does nothing.
class Updater {
 public:
  virtual ~Updater() = default;
  virtual void setDelegate(KRTarvelMenuItemController*) {}
  virtual void setAutomaticallyChecksForUpdates(bool) {}
  virtual void checkForUpdateInformation() {}
};

// The password of a generic keychain item (service, account), or nothing.
using PasswordLookup = std::function<std::optional<std::string>(const std::string& service,
                                                                const std::string& account)>;

struct MonitorServices {
  // Bundle identifiers: the menu item's names its own preference domain and
  // its unload notification; the main application's is added as a suite.
  std::string menuItemBundleIdentifier;
  std::string mainAppBundleIdentifier;
  // The lowest-priority preference layer, registered at start-up; its
  // "EmailHostName" is this computer's host name.
  platform::PlistValue::Dict registeredDefaults;

  std::function<std::unique_ptr<StatusItemView>()> makeStatusItem;
  std::function<std::unique_ptr<DriveSource>()> makeScanner;
  std::function<std::unique_ptr<Updater>()> makeUpdater = [] { return std::make_unique<Updater>(); };
  std::shared_ptr<platform::DistributedNotificationCenter> distributedNotifications;
  std::shared_ptr<platform::Notifier> notifier;
  std::shared_ptr<TimerService> timers;
  // Launches the application found by that name; false when there is none.
  std::function<bool(const std::string& name)> launchApplication;
  // Asks the application to end; it then calls applicationWillTerminate.
  std::function<void()> terminateApplication;
  // The current time in the user's short date and short time formats.
  std::function<std::string()> shortDateTimeNow;
  // Runs work on a new detached thread (tests substitute one they can join).
  std::function<void(std::function<void()>)> detachThread = [](std::function<void()> work) {
    std::thread(std::move(work)).detach();
  };
  PasswordLookup passwordLookup;
};

}  // namespace monitor
