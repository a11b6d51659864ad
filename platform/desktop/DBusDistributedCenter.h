// Distributed notifications over the D-Bus session bus: every post is the
// signal kSignal (name, object) from the object path kPath on the interface
// kInterface, so any process of the user (or `dbus-send`) can post and
// observe. Observers are called on the Qt main loop. Needs a
// QCoreApplication (or QApplication) for delivery.
#pragma once

#include <memory>
#include <string>

#include "platform/DistributedNotifications.h"
#include "platform/Services.h"

namespace platform::desktop {

inline constexpr const char* kPath = "/org/tarvel/Notifications";
inline constexpr const char* kInterface = "org.tarvel.Notifications";
inline constexpr const char* kSignal = "Notification";

// `log` (may be null) hears once when the session bus cannot be reached.
std::unique_ptr<DistributedNotificationCenter> makeDBusDistributedCenter(Log* log);

// Posts one notification and waits until the bus has it; for a short-lived
// process such as `tarvel notify`. False, with the reason, when there is
// no session bus.
bool postDistributedNotification(const std::string& name, const std::string& object, std::string* error);

}  // namespace platform::desktop
