// What the monitor does when the updater finds a newer version.
#include "monitor/KRTarvelMenuItemController.h"
#include "platform/Platform.h"
#include "support/KRSparkleVersionComparator.h"
#include "support/UpdateAnnouncement.h"

void KRTarvelMenuItemController::updaterDidFindValidUpdate(Updater&, const std::string& /*update*/) {
  // No target, like the menu's launch item; the item stays until the next
  // check or scan rebuilds the menu.
  trMenu.addItemWithTitle(support::updateAvailableTitle(), MenuAction::LaunchTarvel, "");
  menuChanged();
  support::markUpdateAvailable(platform::prefs(), services.mainAppBundleIdentifier);
  launchTarvel();
}

SUVersionComparison* KRTarvelMenuItemController::versionComparatorForUpdater(Updater&) const {
  return &KRSparkleVersionComparator::defaultComparator();
}
