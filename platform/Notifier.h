// Desktop notifications, one per drive verdict: the monitor posts them
// through this seam; the desktop shows them (platform/desktop/DBusNotifier)
// or a test records them (MemoryNotifier).
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace platform {

struct DesktopNotification {
  std::string title;
  std::string description;
  std::string name;      // "DriveFailed", "DriveFailing"
  std::string iconPath;  // image file shown with the notification; empty for none
  int priority = 0;      // -2 (very low) to 2 (emergency)
  bool sticky = false;   // stays until the user closes it
};

class Notifier {
 public:
  virtual ~Notifier() = default;
  // Never blocks for long and never throws: a desktop without a
  // notification service just does not show it.
  virtual void notify(const DesktopNotification& notification) = 0;
};

class MemoryNotifier : public Notifier {
 public:
  void notify(const DesktopNotification& notification) override {
    std::lock_guard lock(mutex_);
    posted_.push_back(notification);
  }
  std::vector<DesktopNotification> posted() {
    std::lock_guard lock(mutex_);
    return posted_;
  }

 private:
  std::mutex mutex_;
  std::vector<DesktopNotification> posted_;
};

}  // namespace platform
