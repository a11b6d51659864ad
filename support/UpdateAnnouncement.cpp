#include "support/UpdateAnnouncement.h"

#include "platform/Platform.h"
#include "platform/PreferenceKeys.h"

namespace support {

std::string updateAvailableTitle() {
  return platform::localized("Main", "UpdateAvailable", "An update is available");
}

void markUpdateAvailable(platform::Preferences& prefs, const std::string& mainApplicationDomain) {
  // When the main application has never run there is no domain yet: start
  // one holding just the flag, so the update is offered at its first start.
  prefs.updatePersistentDomain(mainApplicationDomain, [](platform::PlistValue::Dict& domain) {
    domain[platform::keys::kUpdateAvailable] = platform::PlistValue(true);
  });
}

}  // namespace support
