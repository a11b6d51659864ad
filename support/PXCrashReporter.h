// The report window: offers the newest crash log (crash mode) or the
// system information (feedback mode) with a message from the user, and
// posts both to the address of the "CRASH_REPORT_CGI_URL" string.
#pragma once

#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <memory>
#include <optional>
#include <string>

#include "support/PXNibOwner.h"

// The object name of the crash-log tab in PXCrashReporter.ui.
namespace support {
inline constexpr const char* kCrashLogTabIdentifier = "org.tarvel.PXCrashReporter.crashLogTab";
}  // namespace support

class PXCrashReporter : public PXNibOwner {
  Q_OBJECT

  // Only the initialisers below make reporters, so every one has a window.
  class Passkey {
    Passkey() = default;
    friend class PXCrashReporter;
  };

 public:
  explicit PXCrashReporter(Passkey) {}
  // Crash mode: shows `logString`. Null when the window cannot be loaded.
  static std::unique_ptr<PXCrashReporter> initWithLogString(const std::string& logString);
  // Feedback mode. Null when the window cannot be loaded.
  static std::unique_ptr<PXCrashReporter> init();

  void awakeFromNib() override;
  QWidget* window() const { return reportWindow; }
  bool feedbackMode() const { return feedbackMode_; }
  bool isSending() const { return connection != nullptr; }

  void sendCrashReport();
  void remindMeLater();
  void discardCrashReport();
  void showFinishedMessage(const std::optional<std::string>& error);

  // Keeps a reporter alive until its window closes through one of the
  // actions above (how the crash check's reporter is held).
  static void keepUntilClosed(std::unique_ptr<PXCrashReporter> reporter);

 private:
  static std::unique_ptr<PXCrashReporter>& sharedReporter();
  void connectionDidFinishLoading();
  void connectionDidFailWithError(const std::string& error);
  // Orders the window out and lets go of the reporters held for it.
  void closeWindow();

  QPointer<QWidget> reportWindow;
  QPointer<QPlainTextEdit> informationField;
  QPointer<QPlainTextEdit> crashLogField;
  QPointer<QLabel> explanationField;
  QPointer<QProgressBar> progressIndicator;
  QPointer<QPushButton> sendButton, remindButton, discardButton;
  QPointer<QTabWidget> switchTabView;
  QPointer<QNetworkReply> connection;
  QNetworkAccessManager network;
  bool feedbackMode_ = false;

  friend class PXFeedbackProvider;
};

// The crash check: when the crash-log folder holds a log of this program
// newer than the last one sent or discarded, a crash-mode reporter with it;
// otherwise null.
std::unique_ptr<PXCrashReporter> PXCheckForCrash();
