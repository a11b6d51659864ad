// The desktop side of the tray monitor on Linux: distributed notifications
// over the session bus, desktop notifications through
// org.freedesktop.Notifications, Qt timers, launching "Tarvel", quitting
// the Qt application, the locale's short date and time, and SMTP passwords
// from the Secret Service. The program adds the status item and the drive
// scanner.
#pragma once

#include <optional>
#include <string>

#include "monitor/MonitorServices.h"
#include "platform/Services.h"

namespace tray {

// `log` hears once when the session bus or the notification service is missing.
monitor::MonitorServices makeDesktopMonitorServices(platform::Log* log);

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

}  // namespace tray
