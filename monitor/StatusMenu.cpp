// The status menu: the base menu and each drive's status line and icon.
#include <filesystem>

#include "monitor/KRTarvelMenuItemController.h"
#include "platform/Format.h"
#include "platform/Platform.h"
#include "platform/PreferenceKeys.h"

using monitor::MenuItem;

namespace {

std::string mainText(const char* key, const char* defaultText) {
  return platform::localized("Main", key, defaultText);
}

}  // namespace

struct KRTarvelMenuItemController::HealthRow {
  const char* icon;
  const char* statusKey;
  const char* statusDefault;
  const char* notificationPreference;
  const char* titleKey;
  const char* titleDefault;
  const char* descriptionKey;
  const char* descriptionDefault;
  const char* notificationName;
  bool sticky;
};

const KRTarvelMenuItemController::HealthRow& KRTarvelMenuItemController::rowFor(int32_t health) {
  static const HealthRow kFailed{"Tarvel Red",
                                 "OverallStatusFailed",
                                 "Overall Status: FAILED!",
                                 platform::keys::kGrowlDriveFailed,
                                 "DriveFailed1",
                                 "WARNING: DRIVE FAILED!",
                                 "DriveFailed2",
                                 "The drive %@ has failed.It is highly recommended to backup all files and replace drive.",
                                 "DriveFailed",
                                 true};
  static const HealthRow kFailing{"Tarvel Yellow",
                                  "OverallStatusFailing",
                                  "Overall Status: FAILING!",
                                  platform::keys::kGrowlDriveFailing,
                                  "DriveFailing1",
                                  "CAUTION: DRIVE FAILING!",
                                  "DriveFailing2",
                                  "The drive %@ is failing. It is recommended to backup all files and replace drive.",
                                  "DriveFailing",
                                  true};
  // The passed notification has no name of its own.
  static const HealthRow kPassed{"Tarvel Green",  "OverallStatusPassed", "Overall Status: Passed",
                                 platform::keys::kGrowlDrivePassed, "DrivePassed1",     "Drive Passed",
                                 "DrivePassed2",  "The drive %@ passed.", "DriveFailing",
                                 false};
  if (health == logs::kHealthFailed) return kFailed;
  if (health == logs::kHealthFailing) return kFailing;
  return kPassed;
}

// Not a health of its own: the drive is unknown, shown and announced as a
// warning, under the failing drive's preference and notification name.
const KRTarvelMenuItemController::HealthRow& KRTarvelMenuItemController::noAnswerRow() {
  static const HealthRow kNoAnswer{
      "Tarvel Yellow",
      "OverallStatusNoAnswer",
      "Overall Status: UNKNOWN (smartctl did not answer within %@ seconds)",
      platform::keys::kGrowlDriveFailing,
      "DriveNoAnswer1",
      "CAUTION: DRIVE NOT ANSWERING!",
      "DriveNoAnswer2",
      "The drive %@ is UNKNOWN: smartctl did not answer within %@ seconds. A drive that stops answering may be "
      "failing; it is recommended to backup all files.",
      "DriveFailing",
      true};
  return kNoAnswer;
}

namespace {
const int kDriveIconSize = 32;
const int kStatusLineIndentation = 3;
}  // namespace

void KRTarvelMenuItemController::appendBaseMenu() {
  trMenu.addItem(MenuItem::separatorItem());
  trMenu.addItem(MenuItem::separatorItem());
  trMenu.addItemWithTitle(mainText("RescanDrives", "Rescan For Drives"), MenuAction::ScanForDrives, "");
  trMenu.addItemWithTitle(mainText("UpdateDrives", "Update Drives"), MenuAction::UpdateDrives, "");
  trMenu.addItem(MenuItem::separatorItem());
  trMenu.addItemWithTitle(mainText("LaunchTR", "Launch Tarvel"), MenuAction::LaunchTarvel, "");
  trMenu.addItemWithTitle(mainText("QuitTR", "Quit"), MenuAction::Quit, "q");
}

void KRTarvelMenuItemController::resetMenu() {
  for (int i = trMenu.numberOfItems(); i > 0; --i) trMenu.removeItemAtIndex(0);
  trMenu.setAutoenablesItems(false);
  appendBaseMenu();
}

void KRTarvelMenuItemController::updateImageAndMenuWithHealth(int32_t health,
                                                              const std::string& driveNameWithPartitions) {
  const HealthRow& row = rowFor(health);
  if (health == logs::kHealthFailed) overallStatus = logs::kHealthFailed;
  else if (health == logs::kHealthFailing && overallStatus != logs::kHealthFailed) overallStatus = logs::kHealthFailing;
  showDriveStatus(row, mainText(row.statusKey, row.statusDefault),
                  platform::format(mainText(row.descriptionKey, row.descriptionDefault), driveNameWithPartitions));
}

void KRTarvelMenuItemController::showUnansweredDrive(const std::string& driveNameWithPartitions, double seconds) {
  // A disk that stops answering is often a dying one: never a green icon.
  if (overallStatus != logs::kHealthFailed) overallStatus = logs::kHealthFailing;
  const HealthRow& row = noAnswerRow();
  showDriveStatus(row, platform::format(mainText(row.statusKey, row.statusDefault), seconds),
                  platform::format(mainText(row.descriptionKey, row.descriptionDefault), driveNameWithPartitions,
                                   seconds));
}

void KRTarvelMenuItemController::showDriveStatus(const HealthRow& row, const std::string& statusLine,
                                                 const std::string& description) {
  MenuItem& status = trMenu.insertItemWithTitle(statusLine, MenuAction::None, "", 1);
  status.setIndentationLevel(kStatusLineIndentation);
  status.setEnabled(false);
  trMenu.itemAtIndex(0).setImage(row.icon, kDriveIconSize);

  if (platform::prefs().boolForKey(row.notificationPreference)) {
    // Shown at the image's own size.
    const std::string icon = (std::filesystem::path(platform::bundle().resourcesPath) / row.icon).string() + ".png";
    services.notifier->notify(platform::DesktopNotification{mainText(row.titleKey, row.titleDefault), description,
                                                            row.notificationName, icon, 0, row.sticky});
  }
}

void KRTarvelMenuItemController::showDriveHealth(const KRSMARTDrive& drive, const std::string& title) {
  const bool otherKind = drive.driveKind() == kinds::DriveKind::Nvme || drive.driveKind() == kinds::DriveKind::Scsi;
  const bool asleep = drive.driveAsleep();
  const bool noSmart = drive.driveKind() == kinds::DriveKind::NoSmart;
  if (noSmart || (drive.driveHealth() == logs::kHealthUnknown && (otherKind || asleep))) {
    const std::string text = noSmart  ? mainText("OverallStatusNoSmart", "SMART not supported")
                             : asleep ? mainText("OverallStatusAsleep", "Overall Status: Unknown (asleep)")
                                      : mainText("OverallStatusUnknown", "Overall Status: Unknown");
    MenuItem& status = trMenu.insertItemWithTitle(text, MenuAction::None, "", 1);
    status.setIndentationLevel(kStatusLineIndentation);
    status.setEnabled(false);
    return;
  }
  updateImageAndMenuWithHealth(drive.driveHealth(), title);
  if (asleep) {
    // The state is the last one read: the status line says why it is not new.
    MenuItem& status = trMenu.itemAtIndex(1);
    status.setTitle(status.title() + mainText("StatusAsleep", " (asleep)"));
  }
}

void KRTarvelMenuItemController::showScanProblem(const std::string& key, const std::string& defaultText) {
  resetMenu();
  trMenu.insertItemWithTitle(platform::localized("Main", key, defaultText), MenuAction::None, "", 0);
  menuChanged();
}

void KRTarvelMenuItemController::menuChanged() {
  if (trStatusItem) trStatusItem->menuDidChange();
}
