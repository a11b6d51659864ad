// The tray monitor's updater: SUUpdater for a bundle behind the monitor's
// Updater seam, handing the delegate operations on to the controller.
#pragma once

#include <string>

#include "monitor/KRTarvelMenuItemController.h"
#include "support/SUUpdater.h"

namespace tray {

class MonitorUpdater : public monitor::Updater, private SUUpdaterDelegate {
 public:
  explicit MonitorUpdater(const std::string& bundlePath);
  ~MonitorUpdater() override;

  void setDelegate(KRTarvelMenuItemController* controller) override;
  void setAutomaticallyChecksForUpdates(bool on) override;
  void checkForUpdateInformation() override;

 private:
  bool updaterShouldPromptForPermissionToCheckForUpdates(SUUpdater&) override;
  SUVersionComparison* versionComparatorForUpdater(SUUpdater&) override;
  void updaterDidFindValidUpdate(SUUpdater&, const SUAppcastItem& item) override;

  SUUpdater& updater_;
  KRTarvelMenuItemController* controller_ = nullptr;
};

}  // namespace tray
