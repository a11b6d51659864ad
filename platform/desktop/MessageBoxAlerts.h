// The modal critical alert of a desktop program, as a QMessageBox.
#pragma once

#include "platform/Services.h"

namespace platform::desktop {

class MessageBoxAlerts : public Alerts {
 public:
  // Blocks in a nested event loop until the button is pressed.
  void showCritical(const std::string& message, const std::string& informative, const std::string& button) override;
};

}  // namespace platform::desktop
