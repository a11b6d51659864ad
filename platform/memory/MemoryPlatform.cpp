#include "platform/memory/MemoryPlatform.h"

#include <algorithm>

namespace platform::memory {

std::optional<PlistValue::Dict> MemoryDomainStore::load(const std::string& domain) {
  std::lock_guard lock(mutex_);
  auto it = domains_.find(domain);
  if (it == domains_.end()) return std::nullopt;
  return it->second;
}

void MemoryDomainStore::save(const std::string& domain, const PlistValue::Dict& contents) {
  std::lock_guard lock(mutex_);
  domains_[domain] = contents;
}

void MemoryDomainStore::update(const std::string& domain, const std::function<void(PlistValue::Dict&)>& change) {
  std::lock_guard lock(mutex_);
  change(domains_[domain]);
}

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

void MemoryDistributedCenter::post(const std::string& name, const std::string& object) {
  std::lock_guard lock(mutex_);
  posted_.emplace_back(name, object);
}

bool MemoryDistributedCenter::receive(const std::string& name, const std::string& object) {
  const std::vector<std::string> names = observers_.observedNames();
  if (std::find(names.begin(), names.end(), name) == names.end()) return false;
  observers_.post(name, object);
  return true;
}

std::vector<std::pair<std::string, std::string>> MemoryDistributedCenter::posted() {
  std::lock_guard lock(mutex_);
  return posted_;
}

void MemoryNotifier::setApplicationName(const std::string& name) {
  std::lock_guard lock(mutex_);
  applicationName_ = name;
}

void MemoryNotifier::notify(const DesktopNotification& notification) {
  std::lock_guard lock(mutex_);
  posted_.push_back(notification);
}

std::string MemoryNotifier::applicationName() {
  std::lock_guard lock(mutex_);
  return applicationName_;
}

std::vector<DesktopNotification> MemoryNotifier::posted() {
  std::lock_guard lock(mutex_);
  return posted_;
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
