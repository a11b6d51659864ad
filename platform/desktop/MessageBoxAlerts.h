// The modal critical alert of a desktop program, as a QMessageBox, and the
// work that waits for it to close.
#pragma once

#include <functional>
#include <string>

#include "platform/Services.h"

namespace platform::desktop {

class MessageBoxAlerts : public Alerts {
 public:
  // On the main thread: blocks in a nested event loop until the button is
  // pressed. On another thread (the tray's drive checks): hands the alert
  // to the main thread and returns at once, so that the work goes on and
  // can be stopped; an alert already open or waiting is not shown twice.
  void showCritical(const std::string& message, const std::string& informative, const std::string& button) override;
};

// While an alert is open its event loop delivers timer ticks and menu
// choices, but the check that showed it is still running and checks must
// not overlap. Such work goes through here: it runs at once, or once the
// alert has closed and the code that showed it has returned. Work with a
// key that is already waiting is dropped, so ten ticks make one check.
// Main thread only.
void runWhenNoAlert(const std::string& key, std::function<void()> work);
bool isAlertOpen();

}  // namespace platform::desktop
