// The desktop side of the tray monitor on Linux: distributed notifications
// over the session bus, desktop notifications through
// org.freedesktop.Notifications, Qt timers, launching "Tarvel", quitting
// the Qt application, the locale's short date and time, and SMTP passwords
// from the Secret Service. The program adds the status item and the drive
// scanner.
#pragma once

#include <string>

#include "monitor/MonitorServices.h"
#include "platform/DistributedNotifications.h"
#include "platform/Notifier.h"
#include "platform/Services.h"

namespace platform::desktop {

// `log` hears once when the session bus or the notification service is
// missing; images for notifications come from `resourcesPath`.
MonitorServices makeDesktopMonitorServices(Log* log, const std::string& resourcesPath);

// The monitor's seams over the platform's own services (also for tests).
std::shared_ptr<DistributedNotifications> monitorNotifications(std::shared_ptr<DistributedNotificationCenter> center);
std::shared_ptr<DesktopNotifier> monitorNotifier(std::shared_ptr<Notifier> notifier, std::string resourcesPath);

// The password of the generic keychain item (service, account), or nothing.
std::optional<std::string> keychainPassword(const std::string& service, const std::string& account);

// The current time as the user's locale writes a short date and a short time.
std::string shortDateTimeNow();

// Takes the bus name `name` on the session bus for this process; false
// when another process holds it (without a session bus there is nothing
// to go by and this is true).
bool claimBusName(const std::string& name);

// Returns once the session bus has everything sent so far, so a
// notification posted just before the process ends is not lost.
void flushSessionBus();

}  // namespace platform::desktop
