// The process-wide set of platform services. Programs install the real
// ones (linux/) at start-up, tests the in-memory ones (memory/); using them
// before that is a programming error that stops the process.
#pragma once

#include <memory>

#include "platform/Preferences.h"
#include "platform/Services.h"

namespace platform {

struct Platform {
  std::shared_ptr<Preferences> preferences;
  std::shared_ptr<Strings> strings;
  std::shared_ptr<Log> log;
  std::shared_ptr<Alerts> alerts;
  std::shared_ptr<NotificationCenter> notifications;
  BundlePaths bundle;
};

Platform& current();
void install(Platform p);

inline Preferences& prefs() { return *current().preferences; }
inline NotificationCenter& notifications() { return *current().notifications; }
inline const BundlePaths& bundle() { return current().bundle; }
inline void log(const std::string& message) { current().log->write(message); }
inline std::string localized(const std::string& table, const std::string& key, const std::string& def) {
  return current().strings->localizedString(table, key, def);
}
inline void showCriticalAlert(const std::string& message, const std::string& informative, const std::string& button) {
  current().alerts->showCritical(message, informative, button);
}

// Whom the failure alerts ask users to contact: the support address set at
// build time (TARVEL_SUPPORT_ADDRESS), else the localized "SupportContact"
// of table "Main", "the supplier of your copy of Tarvel".
std::string supportContact();
// The informative text of a failure alert: `defaultText` holds "%@" where
// the contact goes; the localized "Exception2" of table "Main" replaces it
// and may hold a "%@" too.
std::string failureAlertText(const std::string& defaultText);

}  // namespace platform
