#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "HttpTestServer.h"
#include "support/CrashCheck.h"
#include "support/CrashLogSearch.h"
#include "support/CrashLogWriter.h"
#include "support/CrashReportText.h"
#include "support/CrashReporterActions.h"
#include "support/PXCrashReporter.h"
#include "support/SystemInformation.h"
#include "tests/support/TestPlatform.h"

using testing_support::PlatformTest;

namespace {

constexpr const char* kDateKey = "PXCrashReporterLastCrashReportDate";

std::vector<QWidget*> visibleReportWindows() {
  std::vector<QWidget*> out;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == "reportWindow" && w->isVisible()) out.push_back(w);
  return out;
}

template <class T>
T* part(QWidget* window, const char* name) {
  T* p = window->findChild<T*>(name);
  EXPECT_TRUE(p) << name;
  return p;
}

QString tabLabel(QWidget* window, const char* identifier) {
  auto* tabs = part<QTabWidget>(window, "switchTabView");
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->widget(i)->objectName() == identifier) return tabs->tabText(i);
  return "<no such tab>";
}

class CrashReporterTest : public PlatformTest {
 protected:
  CrashReporterTest() {
    scratch.write("Tarvel Menu Item.app/Contents/Info.plist",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>\n"
                  "<key>CFBundleExecutable</key><string>tarvel-menu-item</string>\n"
                  "<key>CFBundleVersion</key><string>1.0.0</string>\n</dict></plist>\n");
    mem.platform.bundle.resourcesPath = (testing_support::sourceDir() / "resources").string();
    platform::install(mem.platform);
    auto& s = mem.strings->entries;
    s[{"PXCrashReporter", "FEEDBACK_EXPLANATION_TEXT"}] = "Tell the makers of %%APPNAME what you think.";
    s[{"PXCrashReporter", "FEEDBACK_MESSAGE_TEXT"}] = "From %%LONGUSERNAME <%%EMAILADDRESS>\n";
    s[{"PXCrashReporter", "MISSING_EMAIL_ADDRESS"}] = "(no address)";
    s[{"PXCrashReporter", "SYSTEM_INFO_TAB_NAME"}] = "System Information";
    s[{"PXCrashReporter", "COULDNT_SEND_FEEDBACK_ERROR"}] = "Feedback not sent";
    s[{"PXCrashReporter", "COULDNT_SEND_CRASH_REPORT_ERROR"}] = "Crash report not sent";
    s[{"PXCrashReporter", "COULDNT_SEND_CRASH_REPORT_ERROR_OK"}] = "OK";
    reportTo(server.url("/report"));
    server.route("/report", 200, "thanks");
    setenv("EMAIL", "tester@example.org", 1);
  }

  ~CrashReporterTest() override {
    for (QWidget* w : visibleReportWindows())
      if (auto* discard = w->findChild<QPushButton*>("discardButton")) discard->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    unsetenv("EMAIL");
  }

  void reportTo(const std::string& url) { mem.strings->entries[{"PXCrashReporter", "CRASH_REPORT_CGI_URL"}] = url; }

  // Presses Send and waits for the window to close (or go with its reporter).
  void send(QPointer<QWidget> window) {
    part<QPushButton>(window, "sendButton")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window || !window->isVisible(); }, 20000));
  }

  bool dateStored() { return mem.platform.preferences->objectForKey(kDateKey).has_value(); }

  // A child process that installed the crash-log writer dies of SIGSEGV;
  // its log is dated back so the float date of a later send is past it.
  std::string crashOnce() {
    pid_t pid = fork();
    if (pid == 0) {
      support::installCrashLogWriter(support::crashLogFolder(), "tarvel-menu-item");
      raise(SIGSEGV);
      _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV);
    auto log = PXFindNewestCrashLog("tarvel-menu-item", support::crashLogFolder());
    EXPECT_TRUE(log);
    if (!log) return {};
    time_t past = time(nullptr) - 1000;
    struct utimbuf times {past, past};
    utime(log->c_str(), &times);
    return *log;
  }

  HttpTestServer server;
};

TEST_F(CrashReporterTest, FeedbackWindowShowsTheSystemInformation) {
  PXFeedbackProvider().orderFrontFeedbackWindow();
  auto windows = visibleReportWindows();
  ASSERT_EQ(windows.size(), 1u);
  QWidget* w = windows[0];
  EXPECT_EQ(part<QLabel>(w, "explanationField")->text(), "Tell the makers of Tarvel Menu Item what you think.");
  EXPECT_EQ(part<QPlainTextEdit>(w, "informationField")->toPlainText().toStdString(),
            "From " + support::longUserName() + " <tester@example.org>\n");
  EXPECT_TRUE(part<QPushButton>(w, "remindButton")->isHidden());
  EXPECT_EQ(tabLabel(w, support::kCrashLogTabIdentifier), "System Information");
  EXPECT_EQ(part<QPlainTextEdit>(w, "crashLogField")->toPlainText().toStdString(),
            support::feedbackSystemInformation("Tarvel Menu Item", "1.0.0", support::thisMachineFacts(), "(null)"));

  // Asking again brings the same window forward.
  PXFeedbackProvider().orderFrontBugReportWindow();
  PXFeedbackProvider().orderFrontFeedbackWindow();
  EXPECT_EQ(visibleReportWindows(), std::vector<QWidget*>{w});

  // Without an address the localized placeholder stays.
  part<QPushButton>(w, "discardButton")->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  unsetenv("EMAIL");
  PXFeedbackProvider().orderFrontFeedbackWindow();
  ASSERT_EQ(visibleReportWindows().size(), 1u);
  EXPECT_EQ(part<QPlainTextEdit>(visibleReportWindows()[0], "informationField")->toPlainText().toStdString(),
            "From " + support::longUserName() + " <(no address)>\n");
}

TEST_F(CrashReporterTest, SendPostsTheMultipartBodyByteForByte) {
  PXFeedbackProvider().orderFrontFeedbackWindow();
  QPointer<QWidget> w = visibleReportWindows().at(0);
  part<QPlainTextEdit>(w, "informationField")->setPlainText("Hello 0xKhTmLbOuNdArY world");
  part<QPlainTextEdit>(w, "crashLogField")->setPlainText("Model: x\nCPU Speed: 0.00 GHz");

  part<QPushButton>(w, "sendButton")->click();
  EXPECT_FALSE(part<QPushButton>(w, "sendButton")->isEnabled());
  EXPECT_FALSE(part<QPushButton>(w, "discardButton")->isEnabled());
  EXPECT_TRUE(part<QProgressBar>(w, "progressIndicator")->isVisible());
  // The shared reporter goes once its window has closed.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w; }, 20000));

  ASSERT_EQ(server.requests().size(), 1u);
  const auto& r = server.requests()[0];
  const std::string expected =
      "--0xKhTmLbOuNdArY\r\nContent-Disposition: form-data; name=\"crashlog\"\r\n\r\n"
      "Hello USED_TO_BE_KHTMLBOUNDARY world\n==========\nModel: x\nCPU Speed: 0.00 GHz"
      "\r\n--0xKhTmLbOuNdArY--\r\n";
  EXPECT_EQ(r.method, "POST");
  EXPECT_EQ(r.path, "/report");
  EXPECT_EQ(r.body, expected);
  EXPECT_EQ(r.headers.at("content-length"), std::to_string(expected.size()));
  EXPECT_EQ(r.headers.at("content-type"), "multipart/form-data; boundary=0xKhTmLbOuNdArY");
  EXPECT_EQ(r.headers.at("user-agent"), "PXCrashReporter");
  EXPECT_TRUE(mem.alerts->shown.empty());
  EXPECT_FALSE(dateStored()) << "feedback never moves the crash date";

  // A closed window is not reused.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  PXFeedbackProvider().orderFrontFeedbackWindow();
  ASSERT_EQ(visibleReportWindows().size(), 1u);
  EXPECT_EQ(part<QPlainTextEdit>(visibleReportWindows()[0], "informationField")->toPlainText().toStdString(),
            "From " + support::longUserName() + " <tester@example.org>\n");
}

TEST_F(CrashReporterTest, CrashStaysPendingUntilAReportGetsThrough) {
  EXPECT_EQ(PXCheckForCrash(), nullptr);
  std::string log = crashOnce();

  auto reporter = PXCheckForCrash();
  ASSERT_TRUE(reporter);
  EXPECT_FALSE(reporter->feedbackMode());
  QWidget* w = reporter->window();
  ASSERT_TRUE(w && w->isVisible());
  std::string report = support::lastReportPiece(support::readUtf8File(log));
  EXPECT_NE(report.find("Signal:          11 (SIGSEGV)"), std::string::npos);
  EXPECT_EQ(part<QPlainTextEdit>(w, "crashLogField")->toPlainText().toStdString(),
            support::crashReportText(support::orNull(MachineModelName()), CPUCount(), CPUClockSpeedMHz(), report,
                                     "(null)"));
  // The window's own texts, with the placeholders filled in.
  QString explanation = part<QLabel>(w, "explanationField")->text();
  EXPECT_TRUE(explanation.startsWith("Tarvel Menu Item ")) << explanation.toStdString();
  QString message = part<QPlainTextEdit>(w, "informationField")->toPlainText();
  EXPECT_TRUE(message.contains(QString::fromStdString("Name: " + support::longUserName() + "\n")));
  EXPECT_TRUE(message.contains("E-mail: tester@example.org\n"));
  EXPECT_FALSE(message.contains("%%"));
  EXPECT_FALSE(part<QPushButton>(w, "remindButton")->isHidden());
  EXPECT_EQ(tabLabel(w, support::kCrashLogTabIdentifier), "Crash Log");

  // Nobody listening: the alert tells, the crash stays pending.
  reportTo(HttpTestServer::closedPortUrl("/report"));
  send(w);
  ASSERT_EQ(mem.alerts->shown.size(), 1u);
  EXPECT_EQ(mem.alerts->shown[0].message, "Crash report not sent");
  EXPECT_EQ(mem.alerts->shown[0].button, "OK");
  EXPECT_FALSE(dateStored());
  auto again = PXCheckForCrash();
  ASSERT_TRUE(again);

  // Any answer of the server counts as sent, even an error status.
  server.route("/broken-script", 500, "internal error");
  reportTo(server.url("/broken-script"));
  send(again->window());
  EXPECT_EQ(mem.alerts->shown.size(), 1u);
  EXPECT_TRUE(dateStored());
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_NE(server.requests()[0].body.find(report), std::string::npos);
  EXPECT_EQ(PXCheckForCrash(), nullptr);
}

TEST_F(CrashReporterTest, RemindAndDiscard) {
  struct Case {
    bool crashMode;
    const char* button;
    bool dateMoves;
  };
  const Case cases[] = {
      {true, "remindButton", false},
      {true, "discardButton", true},
      {false, "discardButton", false},
  };
  for (const auto& c : cases) {
    mem.store->save("own", {});
    mem.platform.preferences->synchronize();
    auto reporter = c.crashMode ? PXCrashReporter::initWithLogString("the log") : PXCrashReporter::init();
    ASSERT_TRUE(reporter);
    QWidget* w = reporter->window();
    ASSERT_TRUE(w->isVisible());
    part<QPushButton>(w, c.button)->click();
    EXPECT_FALSE(w->isVisible()) << c.button;
    EXPECT_EQ(dateStored(), c.dateMoves) << c.crashMode << " " << c.button;
  }
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(CrashReporterTest, UnusableAddressEndsLikeAFailedSend) {
  reportTo("");
  auto reporter = PXCrashReporter::initWithLogString("the log");
  ASSERT_TRUE(reporter);
  send(reporter->window());
  ASSERT_EQ(mem.alerts->shown.size(), 1u);
  EXPECT_NE(mem.alerts->shown[0].informative.find("not a valid web address"), std::string::npos);
  EXPECT_FALSE(dateStored());
}

TEST_F(CrashReporterTest, MissingWindowFileIsLogged) {
  mem.platform.bundle.resourcesPath = (scratch.path() / "empty").string();
  platform::install(mem.platform);
  EXPECT_EQ(PXCrashReporter::init(), nullptr);
  EXPECT_EQ(PXCrashReporter::initWithLogString("lost"), nullptr);
  EXPECT_TRUE(mem.log->contains("PXCrashReporter: Couldn't find NIB file \"PXCrashReporter.nib\"."));
  EXPECT_TRUE(visibleReportWindows().empty());

  // The failed crash-mode attempt leaves nothing behind for the next window.
  mem.platform.bundle.resourcesPath = (testing_support::sourceDir() / "resources").string();
  platform::install(mem.platform);
  auto reporter = PXCrashReporter::init();
  ASSERT_TRUE(reporter);
  EXPECT_TRUE(reporter->feedbackMode());
  EXPECT_NE(part<QPlainTextEdit>(reporter->window(), "crashLogField")->toPlainText().toStdString().find("RAM: "),
            std::string::npos);
}

}  // namespace
