#include "platform/desktop/MessageBoxAlerts.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QThread>
#include <QtCore/QTimer>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>

#include <mutex>
#include <set>
#include <utility>
#include <vector>

namespace platform::desktop {

namespace {

int openAlerts = 0;
std::vector<std::pair<std::string, std::function<void()>>> waiting;

void runWaiting() {
  auto batch = std::exchange(waiting, {});
  for (auto& [key, work] : batch) runWhenNoAlert(key, std::move(work));
}

}  // namespace

bool isAlertOpen() { return openAlerts > 0; }

void runWhenNoAlert(const std::string& key, std::function<void()> work) {
  if (openAlerts == 0) {
    work();
    return;
  }
  for (const auto& w : waiting)
    if (w.first == key) return;
  waiting.emplace_back(key, std::move(work));
}

void MessageBoxAlerts::showCritical(const std::string& message, const std::string& informative,
                                    const std::string& button) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app && QThread::currentThread() != app->thread()) {
    static std::mutex mutex;
    static std::set<std::string> shown;  // open or waiting
    const std::string key = message + '\n' + informative;
    {
      std::lock_guard lock(mutex);
      if (!shown.insert(key).second) return;
    }
    QMetaObject::invokeMethod(app, [this, message, informative, button, key] {
      showCritical(message, informative, button);
      std::lock_guard lock(mutex);
      shown.erase(key);
    }, Qt::QueuedConnection);
    return;
  }
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Tarvel"), QString::fromStdString(message));
  box.setInformativeText(QString::fromStdString(informative));
  box.setDefaultButton(box.addButton(QString::fromStdString(button), QMessageBox::AcceptRole));
  ++openAlerts;
  box.exec();
  --openAlerts;
  // From the main loop, once the check that showed the alert has finished.
  if (openAlerts == 0 && !waiting.empty()) QTimer::singleShot(0, QCoreApplication::instance(), runWaiting);
}

}  // namespace platform::desktop
