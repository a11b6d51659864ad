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

#include "platform/Platform.h"

namespace platform::memory {

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
