// The tray monitor: brings the monitor up and down, keeps the status menu
// and icon, checks the drives on a timer and on request, and reports by
// notifications, the drive list file and e-mail.
//
// The operations are spread over files by subject:
//   monitor/KRTarvelMenuItemController.cpp  start-up, shut-down, preferences, quit
//   monitor/StatusMenu.cpp                  resetMenu, updateImageAndMenuWithHealth, showDriveHealth
//   monitor/Check.cpp                       updateDrives and the drive list file
//   monitor/Polling.cpp                     scanForDrives, checkTimer, toggleTimer, launchTarvel
//   monitor/EmailReport.cpp                 sendEmailWithSubjectAndMessage
//   monitor/UpdaterDelegate.cpp             updaterDidFindValidUpdate, versionComparatorForUpdater
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "logs/Findings.h"
#include "monitor/KRGrowlBridgeController.h"
#include "monitor/MenuModel.h"
#include "monitor/MonitorServices.h"
#include "support/SUVersionComparison.h"

class KRTarvelMenuItemController {
 public:
  using Menu = monitor::Menu;
  using MenuAction = monitor::MenuAction;
  using MonitorServices = monitor::MonitorServices;
  using PasswordLookup = monitor::PasswordLookup;
  using Updater = monitor::Updater;

  explicit KRTarvelMenuItemController(MonitorServices services);
  ~KRTarvelMenuItemController();
  KRTarvelMenuItemController(const KRTarvelMenuItemController&) = delete;
  KRTarvelMenuItemController& operator=(const KRTarvelMenuItemController&) = delete;

  void awakeFromNib();
  void applicationDidFinishLaunching();
  void applicationWillTerminate();
  void resetMenu();
  void scanForDrives();
  void updateDrives();
  void updateImageAndMenuWithHealth(int32_t health, const std::string& driveNameWithPartitions);
  // The status line, icon and notification of a drive whose smartctl did
  // not answer within `seconds`: unknown, and a warning for the icon.
  void showUnansweredDrive(const std::string& driveNameWithPartitions, double seconds);
  // A drive's status line: as updateImageAndMenuWithHealth, but an NVMe or
  // SCSI drive, or a sleeping one, without a health answer is "Unknown"
  // (never passed, no notification), a disk without SMART says so, and so
  // does a sleeping disk.
  void showDriveHealth(const KRSMARTDrive& drive, const std::string& driveNameWithPartitions);
  void checkTimer();
  void launchTarvel();
  void quit();
  void toggleTimer();
  void reloadPreferences();
  // Sends the report (subject, body) and returns why it was not sent, or
  // nothing when the mail tool took it. Touches no controller state, so it
  // runs on the e-mail thread.
  static std::optional<std::string> sendEmailWithSubjectAndMessage(const std::vector<std::string>& message,
                                                                   const PasswordLookup& passwordLookup);
  // The updater's delegate operations.
  bool updaterShouldPromptForPermissionToCheckForUpdates(Updater&) const { return false; }
  // Announces the update in the menu, marks "UpdateAvailable" in the main
  // application's domain and launches it.
  void updaterDidFindValidUpdate(Updater&, const std::string& update);
  SUVersionComparison* versionComparatorForUpdater(Updater&) const;

  // The action of a menu item, as the desktop adapter delivers it.
  void perform(MenuAction action);

  // Read access for the desktop adapter and tests.
  const Menu& menu() const { return trMenu; }
  int32_t getOverallStatus() const { return overallStatus; }
  const std::string& statusImage() const { return trStatusImage; }
  bool isPolling() const { return pollingTimer.has_value(); }
  // A scan or check is under way (its smartctl runs on the scanner's side).
  bool isChecking() const { return checking; }

 private:
  // The base menu's items, appended to trMenu.
  void appendBaseMenu();
  // Tells the status item that the menu is complete again.
  void menuChanged();
  // The base menu with one enabled line without action at the top.
  void showScanProblem(const std::string& key, const std::string& defaultText);
  // How a drive's state shows: icon, status line and notification.
  struct HealthRow;
  static const HealthRow& rowFor(int32_t health);
  static const HealthRow& noAnswerRow();
  void showDriveStatus(const HealthRow& row, const std::string& statusLine, const std::string& description);
  // What a scan and a check do once the scanner has finished its part.
  void scanFinished(bool scanned);
  void checkFinished();
  // A scan or check asked for while one was under way runs after it; more
  // requests meanwhile make one, a scan (which checks too) outranking a check.
  enum class Pending { None, Update, Scan };
  void runPending();

  MonitorServices services;
  Menu trMenu;
  std::unique_ptr<monitor::StatusItemView> trStatusItem;
  std::string trStatusImage;
  std::optional<monitor::TimerService::Handle> pollingTimer;
  std::unique_ptr<monitor::DriveSource> smartScanner;
  std::vector<KRSMARTDrive>* drives = nullptr;
  int32_t overallStatus = logs::kHealthPassed;
  bool checking = false;
  Pending pending = Pending::None;
  std::optional<KRGrowlBridgeController> growlBridgeController;
  std::unique_ptr<Updater> updater;
};

namespace monitor {
// The polling period to schedule for a "PollingInterval" value (see Polling.cpp).
double guardedPollingInterval(double seconds);
}  // namespace monitor
