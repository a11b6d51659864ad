// When the drives are looked at: scans, the polling timer, and launching
// the main application.
#include <cmath>
#include <utility>

#include "monitor/KRTarvelMenuItemController.h"
#include "platform/Format.h"
#include "platform/Platform.h"
#include "platform/PreferenceKeys.h"

namespace {
const double kDefaultPollingInterval = 3600;
const double kMinimumPollingInterval = 60;
// Desktop timers count milliseconds in a signed 32-bit number (about 24.8 days).
const double kMaximumPollingInterval = 2'000'000;
}  // namespace

// "PollingInterval" is typed by people in a preferences file. Zero, negative,
// infinite and unreadable values fall back to the hourly default (text that is
// not a number reads as 0); short periods are raised to a minute, because every
// check runs smartctl several times for each drive; long ones are
// capped at what a desktop timer can hold.
double monitor::guardedPollingInterval(double seconds) {
  if (!std::isfinite(seconds) || seconds <= 0) return kDefaultPollingInterval;
  if (seconds < kMinimumPollingInterval) return kMinimumPollingInterval;
  if (seconds > kMaximumPollingInterval) return kMaximumPollingInterval;
  return seconds;
}

void KRTarvelMenuItemController::scanForDrives() {
  // A menu command that arrives before launching has finished has no scanner yet.
  if (!smartScanner) return;
  if (checking) {
    pending = Pending::Scan;
    return;
  }
  checking = true;
  smartScanner->startScan([this](bool scanned) {
    checking = false;
    scanFinished(scanned);
    runPending();
  });
}

void KRTarvelMenuItemController::runPending() {
  if (checking) return;
  switch (std::exchange(pending, Pending::None)) {
    case Pending::None: return;
    case Pending::Update: updateDrives(); return;
    case Pending::Scan: scanForDrives(); return;
  }
}

void KRTarvelMenuItemController::scanFinished(bool scanned) {
  if (!scanned) {
    showScanProblem("ErrorScanningForDrives", "Error Scanning for Drives");
    return;
  }
  drives = &smartScanner->getDrives();
  if (drives->empty()) {
    showScanProblem("NoDrivesFound", "No drives found");
    return;
  }
  updateDrives();
}

void KRTarvelMenuItemController::checkTimer() {
  bool poll = platform::prefs().boolForKey(platform::keys::kPollDrives);
  if (poll != pollingTimer.has_value()) toggleTimer();
}

void KRTarvelMenuItemController::toggleTimer() {
  if (pollingTimer) {
    services.timers->invalidate(*pollingTimer);
    pollingTimer.reset();
    return;
  }
  double asked = platform::prefs().doubleForKey(platform::keys::kPollingInterval);
  double period = monitor::guardedPollingInterval(asked);
  if (period != asked)
    platform::log(platform::format("PollingInterval %g is not usable; polling every %g seconds.", asked, period));
  pollingTimer = services.timers->scheduleRepeating(period, [this] { updateDrives(); });
}

// Whether the application was found is not looked at: a missing main
// application is not worth an alert from a menu command.
void KRTarvelMenuItemController::launchTarvel() { services.launchApplication("Tarvel"); }
