#include "app/tray/MonitorUpdater.h"

namespace tray {

MonitorUpdater::MonitorUpdater(const std::string& bundlePath)
    : updater_(SUUpdater::updaterForBundle(bundlePath)) {}

// The bundle's updater outlives this object; it must not call back into it.
MonitorUpdater::~MonitorUpdater() { updater_.setDelegate(nullptr); }

void MonitorUpdater::setDelegate(KRTarvelMenuItemController* controller) {
  controller_ = controller;
  updater_.setDelegate(controller ? this : nullptr);
}

void MonitorUpdater::setAutomaticallyChecksForUpdates(bool on) { updater_.setAutomaticallyChecksForUpdates(on); }

void MonitorUpdater::checkForUpdateInformation() { updater_.checkForUpdateInformation(); }

bool MonitorUpdater::updaterShouldPromptForPermissionToCheckForUpdates(SUUpdater&) {
  return controller_->updaterShouldPromptForPermissionToCheckForUpdates(*this);
}

SUVersionComparison* MonitorUpdater::versionComparatorForUpdater(SUUpdater&) {
  return controller_->versionComparatorForUpdater(*this);
}

void MonitorUpdater::updaterDidFindValidUpdate(SUUpdater&, const SUAppcastItem& item) {
  controller_->updaterDidFindValidUpdate(*this, item.versionString);
}

}  // namespace tray
