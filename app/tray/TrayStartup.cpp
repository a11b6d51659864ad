#include "app/tray/TrayStartup.h"

#include "platform/Domains.h"
#include "platform/Platform.h"
#include "platform/desktop/MessageBoxAlerts.h"
#include "platform/linux/BundleLocation.h"
#include "platform/linux/FileStrings.h"
#include "platform/linux/PlistDomainStore.h"
#include "platform/linux/SyslogLog.h"

namespace tray {

void installTrayPlatform(bool verbose) {
  platform::Platform p;
  auto log = std::make_shared<platform::real::SyslogLog>(verbose);
  p.log = log;
  p.bundle = platform::real::locateBundle();
  p.strings = std::make_shared<platform::real::FileStrings>(p.bundle.resourcesPath, log.get());
  p.alerts = std::make_shared<platform::desktop::MessageBoxAlerts>();
  p.notifications = std::make_shared<platform::NotificationCenter>();
  p.preferences = std::make_shared<platform::Preferences>(
      platform::kMenuItemDomain,
      std::make_shared<platform::real::PlistDomainStore>(platform::real::defaultPreferencesFolder(), log.get()));
  std::string error;
  // Without them the raw data and the drive list file are not written;
  // the checks, the menu and the notifications still work.
  if (!platform::real::ensureWritableFolders(p.bundle, &error)) log->write(error);
  platform::install(std::move(p));
}

}  // namespace tray
