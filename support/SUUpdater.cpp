#include "support/SUUpdater.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <map>

#include "platform/Format.h"
#include "platform/Platform.h"
#include "platform/PreferenceKeys.h"
#include "support/Appcast.h"
#include "support/BundleInfo.h"
#include "support/KRSparkleVersionComparator.h"

namespace {
constexpr int kDefaultFeedTimeoutMs = 30000;
constexpr int kCheckIntervalSeconds = 86400;
constexpr qint64 kMaxFeedBytes = 8 * 1024 * 1024;

void debugLog(const std::string& message) {
  if (platform::prefs().boolForKey(platform::keys::kOutputDebugMessages)) platform::log(message);
}
}  // namespace

struct SUUpdater::Impl {
  SUUpdater* self = nullptr;
  std::string bundlePath;
  SUUpdaterDelegate* delegate = nullptr;
  int feedTimeoutMs = kDefaultFeedTimeoutMs;
  // Owned by the application object, so they go before it does even when
  // the updater outlives it as a process-wide object.
  QPointer<QNetworkAccessManager> network;
  QPointer<QTimer> schedule;
  QPointer<QNetworkReply> reply;

  void automaticCheck() {
    if (delegate && delegate->updaterShouldPromptForPermissionToCheckForUpdates(*self)) {
      debugLog("Automatic update check skipped: the user has not been asked.");
      return;
    }
    self->checkForUpdateInformation();
  }

  void start() {
    auto feed = support::bundleInfoString(bundlePath, "SUFeedURL");
    // A build without a feed address (TARVEL_FEED_URL) checks for no update.
    if (!feed || feed->empty()) return;
    QUrl url(QString::fromStdString(*feed), QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) {
      platform::log(platform::format("Update check skipped: the feed address \"%@\" is not valid.", *feed));
      return;
    }
    if (!network) network = new QNetworkAccessManager(QCoreApplication::instance());
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    reply = network->get(request);
    QNetworkReply* r = reply;
    const std::string address = *feed;
    // The timeout counts the whole exchange, so a feed that trickles in
    // forever ends as surely as one that never answers.
    QTimer::singleShot(feedTimeoutMs, r, [r, address, ms = feedTimeoutMs] {
      if (r->isFinished()) return;
      platform::log(platform::format("Update check failed: no complete answer from %@ within %d seconds.", address,
                                     ms / 1000));
      r->setProperty("timedOut", true);
      r->abort();
    });
    QObject::connect(r, &QNetworkReply::downloadProgress, r, [r](qint64 received, qint64) {
      if (received <= kMaxFeedBytes || r->isFinished()) return;
      r->setProperty("tooLarge", true);
      r->abort();
    });
    QObject::connect(r, &QNetworkReply::finished, r, [this, r, address] { finished(r, address); });
  }

  void finished(QNetworkReply* r, const std::string& address) {
    r->deleteLater();
    reply = nullptr;
    if (r->property("timedOut").toBool()) return;  // already logged
    if (r->property("tooLarge").toBool()) {
      platform::log(platform::format("Update check failed: the feed %@ is larger than 8 MB.", address));
      return;
    }
    if (r->error() != QNetworkReply::NoError) {
      platform::log(platform::format("Update check failed: %@ (%@).", r->errorString().toStdString(), address));
      return;
    }
    std::string error;
    auto items = support::parseAppcast(r->readAll().toStdString(), &error);
    if (!items) {
      platform::log(platform::format("Update check failed: the feed %@ is malformed: %@.", address, error));
      return;
    }
    compare(*items);
  }

  void compare(const std::vector<SUAppcastItem>& items) {
    SUVersionComparison* comparator = delegate ? delegate->versionComparatorForUpdater(*self) : nullptr;
    if (!comparator) comparator = &KRSparkleVersionComparator::defaultComparator();
    auto newest = support::newestAppcastItem(items, *comparator);
    if (!newest) {
      debugLog("Update check: the feed lists no version.");
      return;
    }
    auto current = support::bundleInfoString(bundlePath, "CFBundleVersion");
    if (!current) {
      platform::log(platform::format("Update check failed: no CFBundleVersion in the Info.plist of %@.", bundlePath));
      return;
    }
    if (comparator->compareVersion(*current, newest->versionString) != NSOrderedAscending) {
      debugLog(platform::format("Update check: %@ is current (newest published: %@).", *current,
                                newest->versionString));
      return;
    }
    if (delegate) delegate->updaterDidFindValidUpdate(*self, *newest);
  }
};

SUUpdater& SUUpdater::updaterForBundle(const std::string& bundlePath) {
  static std::map<std::string, std::unique_ptr<SUUpdater>> updaters;
  auto& slot = updaters[bundlePath];
  if (!slot) slot = std::make_unique<SUUpdater>(bundlePath);
  return *slot;
}

SUUpdater::SUUpdater(std::string bundlePath) : impl_(std::make_unique<Impl>()) {
  impl_->self = this;
  impl_->bundlePath = std::move(bundlePath);
}

SUUpdater::~SUUpdater() {
  // No callback may reach the half-destroyed updater.
  if (impl_->reply) {
    impl_->reply->disconnect();
    impl_->reply->abort();
  }
  setAutomaticallyChecksForUpdates(false);
  if (impl_->network) impl_->network->deleteLater();
}

const std::string& SUUpdater::bundlePath() const { return impl_->bundlePath; }

void SUUpdater::setDelegate(SUUpdaterDelegate* delegate) { impl_->delegate = delegate; }

void SUUpdater::setAutomaticallyChecksForUpdates(bool on) {
  if (!on) {
    if (impl_->schedule) {
      impl_->schedule->stop();
      impl_->schedule->deleteLater();
    }
    impl_->schedule = nullptr;
    return;
  }
  if (impl_->schedule) return;
  impl_->schedule = new QTimer(QCoreApplication::instance());
  impl_->schedule->setInterval(std::chrono::seconds(kCheckIntervalSeconds));
  QObject::connect(impl_->schedule, &QTimer::timeout, impl_->schedule, [this] { impl_->automaticCheck(); });
  impl_->schedule->start();
}

bool SUUpdater::automaticallyChecksForUpdates() const { return impl_->schedule != nullptr; }

void SUUpdater::checkForUpdateInformation() {
  if (impl_->reply) return;
  impl_->start();
}

bool SUUpdater::isChecking() const { return impl_->reply != nullptr; }

void SUUpdater::setFeedTimeout(int milliseconds) { impl_->feedTimeoutMs = milliseconds > 0 ? milliseconds : 1; }
