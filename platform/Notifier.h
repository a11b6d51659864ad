// Desktop notifications, one per drive verdict: the monitor posts them
// through this seam; the desktop shows them (platform/desktop/DBusNotifier)
// or a test records them (platform/memory).
#pragma once

#include <string>

namespace platform {

struct DesktopNotification {
  std::string title;
  std::string description;
  std::string name;      // "DriveFailed", "DriveFailing"
  std::string iconPath;  // image file shown with the notification; empty for none
  int priority = 0;      // -2 (very low) to 2 (emergency)
  bool sticky = false;   // stays until the user closes it
  bool operator==(const DesktopNotification&) const = default;
};

class Notifier {
 public:
  virtual ~Notifier() = default;
  // The application the notifications come from ("Tarvel" until set).
  virtual void setApplicationName(const std::string& name) = 0;
  // Never blocks for long and never throws: a desktop without a
  // notification service just does not show it.
  virtual void notify(const DesktopNotification& notification) = 0;
};

}  // namespace platform
