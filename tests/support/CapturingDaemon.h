// A notification service of our own on the private bus that records what
// it is sent, as a desktop's notification daemon would receive it.
#pragma once

#include <QtCore/QObject>
#include <QtCore/QStringList>
#include <QtCore/QVariantMap>
#include <QtDBus/QDBusConnection>

#include <vector>

class CapturingDaemon : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  struct Received {
    QString app, icon, summary, body;
    QVariantMap hints;
    int timeout = 0;
  };

  CapturingDaemon();
  ~CapturingDaemon() override;

  bool ok = false;  // registered as org.freedesktop.Notifications
  std::vector<Received> received;

 public slots:
  uint Notify(const QString& app, uint replacesId, const QString& icon, const QString& summary, const QString& body,
              const QStringList& actions, const QVariantMap& hints, int timeout);

 private:
  QDBusConnection bus_;
};
