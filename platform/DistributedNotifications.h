// Notifications between processes of the same user, by name with a text
// object ("" stands for none): how the main application steers the monitor
// ("TRPrefsChanged", "TRQuit") and how the monitor says it goes away.
// The desktop implementation is platform/desktop/DBusDistributedCenter.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/Services.h"

namespace platform {

class DistributedNotificationCenter {
 public:
  using Handler = std::function<void(const std::string& name, const std::string& object)>;
  virtual ~DistributedNotificationCenter() = default;
  // Handlers run on the main loop, never inside `post`'s caller.
  virtual int addObserver(const std::string& name, Handler handler) = 0;
  virtual void removeObserver(int token) = 0;
  virtual void removeAllObservers() = 0;
  virtual void post(const std::string& name, const std::string& object) = 0;
};

// In-process stand-in for tests: posts are recorded and queued, and
// `deliverPending` plays the part of the main loop.
class MemoryDistributedCenter : public DistributedNotificationCenter {
 public:
  int addObserver(const std::string& name, Handler handler) override {
    return observers_.addObserver(name, std::move(handler));
  }
  void removeObserver(int token) override { observers_.removeObserver(token); }
  void removeAllObservers() override { observers_.removeAllObservers(); }
  void post(const std::string& name, const std::string& object) override {
    std::lock_guard lock(mutex_);
    posted_.emplace_back(name, object);
    pending_.emplace_back(name, object);
  }
  // Runs the observers of everything posted so far; returns how many
  // notifications were delivered.
  size_t deliverPending() {
    std::vector<std::pair<std::string, std::string>> batch;
    {
      std::lock_guard lock(mutex_);
      batch.swap(pending_);
    }
    for (const auto& [name, object] : batch) observers_.post(name, object);
    return batch.size();
  }
  std::vector<std::pair<std::string, std::string>> posted() {
    std::lock_guard lock(mutex_);
    return posted_;
  }

 private:
  NotificationCenter observers_;
  std::mutex mutex_;
  std::vector<std::pair<std::string, std::string>> pending_;
  std::vector<std::pair<std::string, std::string>> posted_;
};

}  // namespace platform
