// Repeating timers on the Qt event loop for the tray monitor. A tick that
// comes while an alert is open waits for it to close (runWhenNoAlert).
#pragma once

#include <QtCore/QTimer>

#include <map>
#include <memory>

#include "monitor/MonitorServices.h"

namespace tray {

class QtTimerService : public monitor::TimerService {
 public:
  Handle scheduleRepeating(double seconds, std::function<void()> tick) override;
  // May be called from the timer's own tick.
  void invalidate(Handle handle) override;
  size_t count() const { return timers_.size(); }

 private:
  Handle next_ = 1;
  std::map<Handle, std::unique_ptr<QTimer>> timers_;
};

}  // namespace tray
