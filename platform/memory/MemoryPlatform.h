// In-process platform services for unit tests: preferences in memory,
// texts from a map, and logs, alerts and notifications recorded for
// inspection.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/DistributedNotifications.h"
#include "platform/Notifier.h"
#include "platform/Platform.h"

namespace platform::memory {

class MemoryDomainStore : public DomainStore {
 public:
  std::optional<PlistValue::Dict> load(const std::string& domain) override;
  void save(const std::string& domain, const PlistValue::Dict& contents) override;
  void update(const std::string& domain, const std::function<void(PlistValue::Dict&)>& change) override;

 private:
  std::mutex mutex_;
  std::map<std::string, PlistValue::Dict> domains_;
};

class MemoryStrings : public Strings {
 public:
  std::string localizedString(const std::string& table, const std::string& key,
                              const std::string& defaultValue) override;
  std::string preferredLocalization() override { return language; }

  std::map<std::pair<std::string, std::string>, std::string> entries;  // (table, key) -> text
  std::string language = "English";
};

class MemoryLog : public Log {
 public:
  void write(const std::string& message) override;
  std::vector<std::string> lines();
  bool contains(const std::string& text);
  void clear();

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

class MemoryAlerts : public Alerts {
 public:
  struct Alert {
    std::string message, informative, button;
  };
  void showCritical(const std::string& message, const std::string& informative, const std::string& button) override {
    shown.push_back({message, informative, button});
  }
  std::vector<Alert> shown;
};

// Notifications between processes: what this process posts is recorded;
// what another process posts is handed in with `receive`, as the main loop
// would hand it over.
class MemoryDistributedCenter : public DistributedNotificationCenter {
 public:
  int addObserver(const std::string& name, Handler handler) override {
    return observers_.addObserver(name, std::move(handler));
  }
  void removeObserver(int token) override { observers_.removeObserver(token); }
  void removeAllObservers() override { observers_.removeAllObservers(); }
  void post(const std::string& name, const std::string& object) override;
  // Runs the observers of `name` now; false when nobody observes it.
  bool receive(const std::string& name, const std::string& object = "");
  std::vector<std::string> observedNames() { return observers_.observedNames(); }
  std::vector<std::pair<std::string, std::string>> posted();

 private:
  NotificationCenter observers_;
  std::mutex mutex_;
  std::vector<std::pair<std::string, std::string>> posted_;
};

class MemoryNotifier : public Notifier {
 public:
  void setApplicationName(const std::string& name) override;
  void notify(const DesktopNotification& notification) override;
  std::string applicationName();
  std::vector<DesktopNotification> posted();

 private:
  std::mutex mutex_;
  std::string applicationName_ = "Tarvel";
  std::vector<DesktopNotification> posted_;
};

struct MemoryPlatform {
  Platform platform;
  std::shared_ptr<MemoryDomainStore> store;
  std::shared_ptr<MemoryStrings> strings;
  std::shared_ptr<MemoryLog> log;
  std::shared_ptr<MemoryAlerts> alerts;
};

// Own domain "own", nothing registered; bundle paths under `root`.
MemoryPlatform makePlatform(const std::string& root = "/nonexistent");

}  // namespace platform::memory
