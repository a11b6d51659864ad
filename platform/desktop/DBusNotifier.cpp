#include "platform/desktop/DBusNotifier.h"

#include <QtCore/QObject>
#include <QtDBus/QDBusArgument>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusMessage>
#include <QtDBus/QDBusMetaType>
#include <QtDBus/QDBusPendingCallWatcher>
#include <QtGui/QImage>

#include <atomic>

namespace {

// The "image-data" hint: (iiibiiay) width, height, row stride, alpha,
// bits per sample, channels, pixels.
struct ImageData {
  int width = 0;
  int height = 0;
  int rowStride = 0;
  bool hasAlpha = true;
  int bitsPerSample = 8;
  int channels = 4;
  QByteArray pixels;
};

QDBusArgument& operator<<(QDBusArgument& arg, const ImageData& img) {
  arg.beginStructure();
  arg << img.width << img.height << img.rowStride << img.hasAlpha << img.bitsPerSample << img.channels << img.pixels;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, ImageData& img) {
  arg.beginStructure();
  arg >> img.width >> img.height >> img.rowStride >> img.hasAlpha >> img.bitsPerSample >> img.channels >> img.pixels;
  arg.endStructure();
  return arg;
}

}  // namespace

Q_DECLARE_METATYPE(ImageData)

namespace platform::desktop {

namespace {

constexpr int kCallTimeoutMs = 5000;

// Notification daemons read the body as markup; a volume name in a drive
// title may hold "<" or "&".
QString escapeMarkup(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }

class DBusNotifier : public Notifier {
 public:
  explicit DBusNotifier(Log* log) : state_(std::make_shared<State>()) {
    state_->log = log;
    qDBusRegisterMetaType<ImageData>();
  }

  void setApplicationName(const std::string& name) override { applicationName_ = QString::fromStdString(name); }

  void notify(const DesktopNotification& n) override {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
      state_->reportOnce("no D-Bus session bus");
      return;
    }
    QVariantMap hints;
    hints[QStringLiteral("urgency")] = QVariant::fromValue(static_cast<uchar>(urgencyFor(n)));
    hints[QString::fromLatin1(kNotificationNameHint)] = QString::fromStdString(n.name);
    if (auto image = loadIcon(n.iconPath))
      hints[QStringLiteral("image-data")] = QVariant::fromValue(*image);

    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << applicationName_ << 0u << QString() << QString::fromStdString(n.title)
         << escapeMarkup(n.description) << QStringList() << hints << (n.sticky ? 0 : -1);

    // The watcher deletes itself with the reply; Qt's parent-less
    // deleteLater is the idiom for a pending D-Bus call.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMs));
    // The reply may come after the notifier is gone: it keeps the state.
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [state = state_](QDBusPendingCallWatcher* w) {
      if (w->isError())
        state->reportOnce(w->error().message().toStdString());
      else
        state->reported = false;
      w->deleteLater();
    });
  }

 private:
  QString applicationName_ = QStringLiteral("Tarvel");

  static std::optional<ImageData> loadIcon(const std::string& path) {
    if (path.empty()) return std::nullopt;
    QImage image(QString::fromStdString(path));
    if (image.isNull()) return std::nullopt;
    image = image.convertToFormat(QImage::Format_RGBA8888);
    ImageData d;
    d.width = image.width();
    d.height = image.height();
    d.rowStride = static_cast<int>(image.bytesPerLine());
    d.pixels = QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
    return d;
  }

  struct State {
    Log* log = nullptr;
    std::atomic<bool> reported{false};
    // Once until a notification gets through again, so a desktop without
    // a notification service does not fill the log at every check.
    void reportOnce(const std::string& why) {
      if (reported.exchange(true) || !log) return;
      log->write("Desktop notifications are not available: " + why);
    }
  };
  std::shared_ptr<State> state_;
};

}  // namespace

unsigned char urgencyFor(const DesktopNotification& n) {
  if (n.sticky || n.priority >= 2) return 2;
  if (n.priority < 0) return 0;
  return 1;
}

std::unique_ptr<Notifier> makeDBusNotifier(Log* log) { return std::make_unique<DBusNotifier>(log); }

}  // namespace platform::desktop
