#include "platform/memory/MemoryPlatform.h"

namespace platform::memory {

std::string MemoryStrings::localizedString(const std::string& table, const std::string& key,
                                           const std::string& defaultValue) {
  auto it = entries.find({table, key});
  return it == entries.end() ? defaultValue : it->second;
}

void MemoryLog::write(const std::string& message) {
  std::lock_guard lock(mutex_);
  lines_.push_back(message);
}

std::vector<std::string> MemoryLog::lines() {
  std::lock_guard lock(mutex_);
  return lines_;
}

bool MemoryLog::contains(const std::string& text) {
  std::lock_guard lock(mutex_);
  for (const auto& l : lines_)
    if (l.find(text) != std::string::npos) return true;
  return false;
}

void MemoryLog::clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
}

MemoryPlatform makePlatform(const std::string& root) {
  MemoryPlatform m;
  m.store = std::make_shared<MemoryDomainStore>();
  m.strings = std::make_shared<MemoryStrings>();
  m.log = std::make_shared<MemoryLog>();
  m.alerts = std::make_shared<MemoryAlerts>();
  m.platform.preferences = std::make_shared<Preferences>("own", m.store);
  m.platform.strings = m.strings;
  m.platform.log = m.log;
  m.platform.alerts = m.alerts;
  m.platform.notifications = std::make_shared<NotificationCenter>();
  m.platform.bundle = BundlePaths{root + "/Tarvel Menu Item.app", root + "/Tarvel Menu Item.app/Contents/MacOS",
                                  root + "/Tarvel Menu Item.app/Contents/Resources", root + "/home",
                                  root + "/home/.local/state/Tarvel", root + "/home/.local/share/Tarvel"};
  return m;
}

}  // namespace platform::memory
