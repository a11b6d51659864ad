#include "support/PXCrashReporter.h"

#include <QCoreApplication>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <exception>
#include <filesystem>
#include <functional>
#include <vector>

#include "platform/Format.h"
#include "platform/Platform.h"
#include "support/BundleInfo.h"
#include "support/CrashCheck.h"
#include "support/CrashReportRequest.h"
#include "support/CrashReportText.h"

using support::replaceAll;

#ifndef TARVEL_CRASH_REPORT_URL
#define TARVEL_CRASH_REPORT_URL ""
#endif

namespace {

constexpr int kSendTimeoutMs = 60000;

// Set by initWithLogString just before the window loads; its presence is
// what puts the window into crash mode.
std::optional<std::string>& pendingLogString() {
  static std::optional<std::string> pending;
  return pending;
}

std::vector<std::unique_ptr<PXCrashReporter>>& keptReporters() {
  static std::vector<std::unique_ptr<PXCrashReporter>> kept;
  return kept;
}

// Windows must go while the application object still exists, not with the
// process-wide holders after it.
void releaseHeldReportersAtQuit(std::function<void()> release) {
  static bool hooked = false;
  if (hooked || !QCoreApplication::instance()) return;
  hooked = true;
  QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, std::move(release));
}

// Reporters are let go of from inside their own actions, so they are
// deleted once control is back in the event loop.
void letGo(std::unique_ptr<PXCrashReporter> reporter) {
  if (reporter) reporter.release()->deleteLater();
}

std::string text(const char* key) { return platform::localized("PXCrashReporter", key, ""); }

// "Tarvel Menu Item" for ".../Tarvel Menu Item.app", as a file manager shows it.
std::string applicationDisplayName() {
  std::string name = std::filesystem::path(platform::bundle().bundlePath).filename().string();
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".app") == 0) name.resize(name.size() - 4);
  return name;
}

std::string ownDomainDescription() {
  auto& prefs = platform::prefs();
  return support::domainDescription(prefs.persistentDomain(prefs.ownDomain()));
}

}  // namespace

std::unique_ptr<PXCrashReporter>& PXCrashReporter::sharedReporter() {
  static std::unique_ptr<PXCrashReporter> shared;
  releaseHeldReportersAtQuit([] {
    sharedReporter().reset();
    keptReporters().clear();
  });
  return shared;
}

std::unique_ptr<PXCrashReporter> PXCrashReporter::initWithLogString(const std::string& logString) {
  pendingLogString() = logString;
  auto reporter = std::make_unique<PXCrashReporter>(Passkey{});
  bool loaded = reporter->PXNibOwner::init();
  // A window that failed to load never read it; the next one must not.
  pendingLogString().reset();
  if (!loaded) return nullptr;
  return reporter;
}

std::unique_ptr<PXCrashReporter> PXCrashReporter::init() {
  auto reporter = std::make_unique<PXCrashReporter>(Passkey{});
  if (!reporter->PXNibOwner::init()) return nullptr;
  reporter->feedbackMode_ = true;
  return reporter;
}

void PXCrashReporter::awakeFromNib() {
  reportWindow = outlet<QWidget>("reportWindow");
  informationField = outlet<QPlainTextEdit>("informationField");
  crashLogField = outlet<QPlainTextEdit>("crashLogField");
  explanationField = outlet<QLabel>("explanationField");
  progressIndicator = outlet<QProgressBar>("progressIndicator");
  sendButton = outlet<QPushButton>("sendButton");
  remindButton = outlet<QPushButton>("remindButton");
  discardButton = outlet<QPushButton>("discardButton");
  switchTabView = outlet<QTabWidget>("switchTabView");

  const bool crashMode = pendingLogString().has_value();
  const std::string appName = applicationDisplayName();

  std::string explanation = crashMode ? (explanationField ? explanationField->text().toStdString() : "")
                                      : text("FEEDBACK_EXPLANATION_TEXT");
  explanation = replaceAll(explanation, "%%APPNAME", appName);
  if (explanationField) explanationField->setText(QString::fromStdString(explanation));

  std::string message = crashMode ? (informationField ? informationField->toPlainText().toStdString() : "")
                                  : text("FEEDBACK_MESSAGE_TEXT");
  message = replaceAll(message, "%%LONGUSERNAME", support::longUserName());
  message = replaceAll(message, "%%EMAILADDRESS", support::emailAddress(text("MISSING_EMAIL_ADDRESS")));
  if (informationField) informationField->setPlainText(QString::fromStdString(message));

  if (crashMode) {
    if (crashLogField) crashLogField->setPlainText(QString::fromStdString(*pendingLogString()));
    pendingLogString().reset();
  } else {
    if (remindButton) remindButton->hide();
    if (switchTabView) {
      for (int i = 0; i < switchTabView->count(); ++i)
        if (switchTabView->widget(i)->objectName() == QLatin1String(support::kCrashLogTabIdentifier))
          switchTabView->setTabText(i, QString::fromStdString(text("SYSTEM_INFO_TAB_NAME")));
    }
    auto version = support::bundleInfoString(platform::bundle().bundlePath, "CFBundleVersion");
    std::string info = support::feedbackSystemInformation(appName, support::orNull(version),
                                                          support::thisMachineFacts(), ownDomainDescription());
    if (crashLogField) crashLogField->setPlainText(QString::fromStdString(info));
  }

  if (sendButton) connect(sendButton, &QPushButton::clicked, this, &PXCrashReporter::sendCrashReport);
  if (remindButton) connect(remindButton, &QPushButton::clicked, this, &PXCrashReporter::remindMeLater);
  if (discardButton) connect(discardButton, &QPushButton::clicked, this, &PXCrashReporter::discardCrashReport);

  if (reportWindow) {
    reportWindow->show();
    reportWindow->raise();
    reportWindow->activateWindow();
  }
}

void PXCrashReporter::sendCrashReport() {
  if (connection) return;
  const std::string information = informationField ? informationField->toPlainText().toStdString() : "";
  const std::string crashLog = crashLogField ? crashLogField->toPlainText().toStdString() : "";
  const support::ReportRequest request = support::buildReportRequest(information, crashLog);

  if (progressIndicator) {
    progressIndicator->setRange(0, 0);  // busy
    progressIndicator->show();
  }
  for (QPushButton* b : {sendButton.data(), remindButton.data(), discardButton.data()})
    if (b) b->setEnabled(false);

  // Without a usable address there is nothing to send to: it ends like a
  // failed send, so the user learns of it and a crash stays pending.
  // Set at build time (TARVEL_CRASH_REPORT_URL); a string table may name another.
  const std::string address = platform::localized("PXCrashReporter", "CRASH_REPORT_CGI_URL", TARVEL_CRASH_REPORT_URL);
  QUrl url(QString::fromStdString(address), QUrl::StrictMode);
  if (!url.isValid() || (url.scheme() != "http" && url.scheme() != "https") || url.host().isEmpty()) {
    connectionDidFailWithError(platform::format("The report address \"%@\" is not a valid web address.", address));
    return;
  }

  QNetworkRequest post(url);
  post.setRawHeader("Content-Type", QByteArray::fromStdString(request.contentType));
  post.setRawHeader("User-Agent", QByteArray::fromStdString(request.userAgent));
  post.setRawHeader("Content-Length", QByteArray::fromStdString(request.contentLength));
  connection = network.post(post, QByteArray::fromStdString(request.body));
  QNetworkReply* reply = connection;
  // A server that never answers would leave the window sending forever.
  QTimer::singleShot(kSendTimeoutMs, reply, [reply] {
    if (!reply->isFinished()) {
      reply->setProperty("timedOut", true);
      reply->abort();
    }
  });
  connect(reply, &QNetworkReply::finished, this, [this, reply] {
    reply->deleteLater();
    if (reply != connection) return;
    // Any answer from the server counts as sent, whatever its status.
    if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
      connectionDidFinishLoading();
    else if (reply->property("timedOut").toBool())
      connectionDidFailWithError(
          platform::format("The server did not answer within %d seconds.", kSendTimeoutMs / 1000));
    else
      connectionDidFailWithError(reply->errorString().toStdString());
  });
}

void PXCrashReporter::connectionDidFinishLoading() {
  connection = nullptr;
  if (!feedbackMode_) support::markCrashReportsHandled();
  QMetaObject::invokeMethod(this, [this] { showFinishedMessage(std::nullopt); }, Qt::QueuedConnection);
}

void PXCrashReporter::connectionDidFailWithError(const std::string& error) {
  connection = nullptr;
  QMetaObject::invokeMethod(this, [this, error] { showFinishedMessage(error); }, Qt::QueuedConnection);
}

void PXCrashReporter::showFinishedMessage(const std::optional<std::string>& error) {
  if (error) {
    platform::showCriticalAlert(
        text(feedbackMode_ ? "COULDNT_SEND_FEEDBACK_ERROR" : "COULDNT_SEND_CRASH_REPORT_ERROR"),
        platform::format("%@", *error), text("COULDNT_SEND_CRASH_REPORT_ERROR_OK"));
  }
  closeWindow();
}

void PXCrashReporter::remindMeLater() { closeWindow(); }

void PXCrashReporter::discardCrashReport() {
  if (!feedbackMode_) support::markCrashReportsHandled();
  closeWindow();
}

void PXCrashReporter::keepUntilClosed(std::unique_ptr<PXCrashReporter> reporter) {
  sharedReporter();  // hooks the release at quit
  if (reporter) keptReporters().push_back(std::move(reporter));
}

void PXCrashReporter::closeWindow() {
  if (reportWindow) reportWindow->hide();
  // Any window closing clears the shared reporter, so the next feedback
  // request opens a fresh window; one still on screen is kept until it
  // closes rather than vanishing under the user.
  if (auto shared = std::move(sharedReporter())) {
    if (shared.get() != this && shared->window() && shared->window()->isVisible())
      keepUntilClosed(std::move(shared));
    else
      letGo(std::move(shared));
  }
  auto& kept = keptReporters();
  auto it = std::find_if(kept.begin(), kept.end(), [this](const auto& r) { return r.get() == this; });
  if (it != kept.end()) {
    letGo(std::move(*it));
    kept.erase(it);
  }
}

std::unique_ptr<PXCrashReporter> PXCheckForCrash() {
  try {
    auto appName = support::bundleInfoString(platform::bundle().bundlePath, "CFBundleExecutable");
    if (!appName) return nullptr;
    auto report = support::newCrashReportText(*appName, support::crashLogFolder());
    if (!report) return nullptr;
    return PXCrashReporter::initWithLogString(*report);
  } catch (const std::exception& e) {
    platform::log(platform::format("Error during check for crash: %@", e.what()));
    return nullptr;
  }
}
