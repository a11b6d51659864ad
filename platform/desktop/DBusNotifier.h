// Desktop notifications through org.freedesktop.Notifications.Notify: the
// application name as set ("Tarvel"), the icon's pixels as the "image-data"
// hint, sticky as no expiry with critical urgency, otherwise the priority as
// urgency, and the notification name as the "x-tarvel-name" hint. Calls are
// asynchronous: a missing notification service is logged once and never
// holds up the caller. Needs a running Qt main loop for the replies.
#pragma once

#include <memory>

#include "platform/Notifier.h"
#include "platform/Services.h"

namespace platform::desktop {

inline constexpr const char* kNotificationNameHint = "x-tarvel-name";

std::unique_ptr<Notifier> makeDBusNotifier(Log* log);

// The urgency byte (0 low, 1 normal, 2 critical) for a notification.
unsigned char urgencyFor(const DesktopNotification& n);

}  // namespace platform::desktop
