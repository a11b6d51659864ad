// Start-up, shut-down, preference changes and quitting.
#include "monitor/KRTarvelMenuItemController.h"

#include "platform/Platform.h"

namespace {
const char* kPrefsChangedNotification = "TRPrefsChanged";
const char* kQuitNotification = "TRQuit";
const char* kUnloadObject = "tarvelMenuItemUnload";
const int kStatusImageSize = 18;
}  // namespace

KRTarvelMenuItemController::KRTarvelMenuItemController(MonitorServices s) : services(std::move(s)) {
  // What the interface file would hold: the commands, so the menu works
  // before the first check has finished.
  appendBaseMenu();
}

KRTarvelMenuItemController::~KRTarvelMenuItemController() {
  // The observers and the timer call back into this object.
  if (services.distributedNotifications) services.distributedNotifications->removeAllObservers();
  if (pollingTimer) services.timers->invalidate(*pollingTimer);
}

void KRTarvelMenuItemController::awakeFromNib() {
  platform::prefs().registerDefaults(services.registeredDefaults);
  platform::prefs().addSuite(services.mainAppBundleIdentifier);

  services.distributedNotifications->addObserver(
      kPrefsChangedNotification, [this](const std::string&, const std::string&) { reloadPreferences(); });
  services.distributedNotifications->addObserver(kQuitNotification,
                                                 [this](const std::string&, const std::string&) { quit(); });

  growlBridgeController.emplace();
  services.notifier->setApplicationName(growlBridgeController->applicationNameForGrowl());

  trStatusItem = services.makeStatusItem();
  trStatusImage = "Tarvel Green";
  trStatusItem->setImage(trStatusImage, kStatusImageSize);
  trStatusItem->setMenu(trMenu);
  trStatusItem->setToolTip("Tarvel");
  trStatusItem->setHighlightMode(true);
}

void KRTarvelMenuItemController::applicationDidFinishLaunching() {
  updater = services.makeUpdater();
  updater->setDelegate(this);
  updater->setAutomaticallyChecksForUpdates(false);
  updater->checkForUpdateInformation();

  overallStatus = logs::kHealthPassed;
  smartScanner = services.makeScanner();
  scanForDrives();
  checkTimer();
}

void KRTarvelMenuItemController::applicationWillTerminate() {
  services.distributedNotifications->removeAllObservers();
  services.distributedNotifications->post(services.menuItemBundleIdentifier, kUnloadObject);
  if (pollingTimer) toggleTimer();
}

void KRTarvelMenuItemController::reloadPreferences() {
  platform::prefs().synchronize();
  checkTimer();
}

void KRTarvelMenuItemController::quit() { services.terminateApplication(); }

void KRTarvelMenuItemController::perform(MenuAction action) {
  switch (action) {
    case MenuAction::None: return;
    case MenuAction::ScanForDrives: scanForDrives(); return;
    case MenuAction::UpdateDrives: updateDrives(); return;
    case MenuAction::LaunchTarvel: launchTarvel(); return;
    case MenuAction::Quit: quit(); return;
  }
}
