// Notifications between processes of the same user, by name with a text
// object ("" stands for none): how the main application steers the monitor
// ("TRPrefsChanged", "TRQuit") and how the monitor says it goes away.
// The desktop implementation is platform/desktop/DBusDistributedCenter,
// the one for tests lives in platform/memory.
#pragma once

#include <functional>
#include <string>

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

}  // namespace platform
