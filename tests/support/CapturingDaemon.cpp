#include "tests/support/CapturingDaemon.h"

CapturingDaemon::CapturingDaemon()
    : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("daemon"))) {
  ok = bus_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this, QDBusConnection::ExportAllSlots) &&
       bus_.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

CapturingDaemon::~CapturingDaemon() {
  bus_.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
  QDBusConnection::disconnectFromBus(QStringLiteral("daemon"));
}

uint CapturingDaemon::Notify(const QString& app, uint, const QString& icon, const QString& summary, const QString& body,
                             const QStringList&, const QVariantMap& hints, int timeout) {
  received.push_back({app, icon, summary, body, hints, timeout});
  return static_cast<uint>(received.size());
}
