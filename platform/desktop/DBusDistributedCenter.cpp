#include "platform/desktop/DBusDistributedCenter.h"

#include <QtCore/QObject>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusConnectionInterface>
#include <QtDBus/QDBusMessage>

namespace platform::desktop {

namespace {

// Receives the bus signal on the thread that owns it (the main loop) and
// hands it to the observers of its name.
class SignalReceiver : public QObject {
  Q_OBJECT
 public:
  std::function<void(const std::string&, const std::string&)> deliver;

 public slots:
  void onNotification(const QString& name, const QString& object) {
    if (deliver) deliver(name.toStdString(), object.toStdString());
  }
};

class DBusDistributedCenter : public DistributedNotificationCenter {
 public:
  explicit DBusDistributedCenter(Log* log) : log_(log), bus_(QDBusConnection::sessionBus()) {
    receiver_.deliver = [this](const std::string& name, const std::string& object) { dispatch(name, object); };
    if (!bus_.isConnected()) {
      report();
      return;
    }
    bus_.connect(QString(), kPath, kInterface, kSignal, &receiver_, SLOT(onNotification(QString, QString)));
  }

  ~DBusDistributedCenter() override {
    if (bus_.isConnected())
      bus_.disconnect(QString(), kPath, kInterface, kSignal, &receiver_, SLOT(onNotification(QString, QString)));
  }

  int addObserver(const std::string& name, Handler handler) override {
    return observers_.addObserver(name, std::move(handler));
  }
  void removeObserver(int token) override { observers_.removeObserver(token); }
  void removeAllObservers() override { observers_.removeAllObservers(); }

  void post(const std::string& name, const std::string& object) override {
    if (!bus_.isConnected()) {
      report();
      return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, kSignal);
    signal << QString::fromStdString(name) << QString::fromStdString(object);
    bus_.send(signal);
  }

 private:
  void dispatch(const std::string& name, const std::string& object) { observers_.post(name, object); }

  void report() {
    if (reported_ || !log_) return;
    reported_ = true;
    log_->write("Distributed notifications are not available: no D-Bus session bus (" +
                bus_.lastError().message().toStdString() + ")");
  }

  Log* log_;
  QDBusConnection bus_;
  SignalReceiver receiver_;
  NotificationCenter observers_;
  bool reported_ = false;
};

}  // namespace

std::unique_ptr<DistributedNotificationCenter> makeDBusDistributedCenter(Log* log) {
  return std::make_unique<DBusDistributedCenter>(log);
}

bool postDistributedNotification(const std::string& name, const std::string& object, std::string* error) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    if (error) *error = "no D-Bus session bus: " + bus.lastError().message().toStdString();
    return false;
  }
  QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, kSignal);
  signal << QString::fromStdString(name) << QString::fromStdString(object);
  if (!bus.send(signal)) {
    if (error) *error = "the signal could not be sent: " + bus.lastError().message().toStdString();
    return false;
  }
  // A round trip to the bus: messages leave in order, so once it answers
  // the signal is out and the process may end.
  bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus"));
  return true;
}

}  // namespace platform::desktop

#include "DBusDistributedCenter.moc"
