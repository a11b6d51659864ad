#include "app/tray/QtTimers.h"

#include <QtCore/QPointer>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "platform/desktop/MessageBoxAlerts.h"

namespace tray {

monitor::TimerService::Handle QtTimerService::scheduleRepeating(double seconds, std::function<void()> tick) {
  const double ms = std::isfinite(seconds) ? std::clamp(seconds * 1000.0, 1.0, double(INT_MAX)) : double(INT_MAX);
  auto timer = std::make_unique<QTimer>();
  // A check every hour needs no precision: whole seconds let the system
  // bundle the wake-up with others.
  timer->setTimerType(seconds >= 2 ? Qt::VeryCoarseTimer : Qt::CoarseTimer);
  timer->setInterval(static_cast<int>(ms));
  QObject::connect(timer.get(), &QTimer::timeout, timer.get(),
                   [key = "timer " + std::to_string(next_), self = QPointer<QTimer>(timer.get()), tick = std::move(tick)] {
                     // A tick held back by an alert is dropped when the timer
                     // was stopped meanwhile.
                     platform::desktop::runWhenNoAlert(key, [self, tick] {
                       if (self && self->isActive()) tick();
                     });
                   });
  timer->start();
  timers_[next_] = std::move(timer);
  return next_++;
}

void QtTimerService::invalidate(Handle handle) {
  auto it = timers_.find(handle);
  if (it == timers_.end()) return;
  QTimer* timer = it->second.release();
  timers_.erase(it);
  timer->stop();
  // Freed by the event loop, in case it is delivering the tick that called us.
  timer->deleteLater();
}

}  // namespace tray
