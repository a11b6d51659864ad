// What the monitor does with a newer published version besides showing the
// menu item and launching the main application: the item's title, and the
// flag it leaves for the main application.
#pragma once

#include <string>

#include "platform/Preferences.h"

namespace support {

// The localized "UpdateAvailable" of table "Main".
std::string updateAvailableTitle();

// Sets "UpdateAvailable" to true in the main application's persistent
// domain, in one locked read-modify-write of the stored domain.
void markUpdateAvailable(platform::Preferences& prefs, const std::string& mainApplicationDomain);

}  // namespace support
