#include "platform/Services.h"

namespace platform {

int NotificationCenter::addObserver(const std::string& name, Handler handler) {
  std::lock_guard lock(mutex_);
  int token = nextToken_++;
  observers_.emplace(token, std::make_pair(name, std::move(handler)));
  return token;
}

void NotificationCenter::removeObserver(int token) {
  std::lock_guard lock(mutex_);
  observers_.erase(token);
}

void NotificationCenter::removeAllObservers() {
  std::lock_guard lock(mutex_);
  observers_.clear();
}

void NotificationCenter::post(const std::string& name, const std::string& object) {
  std::vector<Handler> matching;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [token, entry] : observers_)
      if (entry.first == name) matching.push_back(entry.second);
  }
  // Called outside the lock so a handler may add or remove observers.
  for (const auto& h : matching) h(name, object);
}

std::vector<std::string> NotificationCenter::observedNames() {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  for (const auto& [token, entry] : observers_) names.push_back(entry.first);
  return names;
}

}  // namespace platform
