// The e-mail report through a stand-in sendEmail that records its arguments.
#include "tests/CaseFile.h"
#include "tests/monitor/MonitorFixture.h"

namespace monitor_test {
namespace {

class EmailReportTest : public MonitorTest {
 protected:
  EmailReportTest() {
    mem.platform.preferences->registerDefaults(registeredDefaults());
    keychain[{"Tarvel (SMTP): mailer", "mailer"}] = "s3cret pass";
  }
  std::optional<std::string> send() {
    return KRTarvelMenuItemController::sendEmailWithSubjectAndMessage({"Subject", "line 1\nline 2\n"},
                                                                      services().passwordLookup);
  }
  void set(const std::string& key, const PlistValue& value) { mem.platform.preferences->setObject(key, value); }
};

// The cases of tests/monitor/email.txt.
TEST_F(EmailReportTest, ArgumentLists) {
  for (const auto& c : testing_support::readCases("monitor/email.txt")) {
    SCOPED_TRACE(c.line);
    PlistValue::Dict prefs{{"EmailFromAddress", "me@example.org"}, {"EmailToAddress", "you@example.org"}};
    for (const std::string& pref : testing_support::split(c[1])) {
      const std::vector<std::string> w = testing_support::split(pref, " ");
      prefs[w.at(0)] = w.at(1) == "-int"    ? PlistValue(std::stoi(w.at(2)))
                       : w.at(1) == "-bool" ? PlistValue(w.at(2) == "true")
                                            : PlistValue(w.at(2));
    }
    mem.store->save("own", prefs);
    mem.platform.preferences->synchronize();
    for (const auto& entry : fs::directory_iterator(fake.bundlePath()))
      if (entry.path().extension() == ".args" || entry.path().extension() == ".input") fs::remove(entry.path());
    EXPECT_EQ(send(), std::nullopt);
    auto calls = mailCalls();
    ASSERT_EQ(calls.size(), 1u);
    std::vector<std::string> arguments{"-f", "me@example.org", "-t", "you@example.org",
                                       "-u", "Subject",        "-m", "line 1\nline 2\n"};
    for (const std::string& w : testing_support::split(c[2], " ")) arguments.push_back(w);
    EXPECT_EQ(calls[0], arguments);
    // The password is never an argument: sendEmail reads it when asked.
    std::string input;
    for (const auto& entry : fs::directory_iterator(fake.bundlePath()))
      if (entry.path().extension() == ".input") input = testing_support::readFile(entry.path());
    EXPECT_EQ(input, testing_support::orNone(c[3]).value_or(""));
  }
}

TEST_F(EmailReportTest, DebugLogNamesTheUserButNeverThePassword) {
  set("OutputDebugMessages", true);
  set("EmailSMTPAddress", "smtp.example.org");
  set("EmailAuthenticationType", 1);
  set("EmailUsername", "mailer");
  EXPECT_EQ(send(), std::nullopt);

  bool sawArguments = false;
  for (const std::string& line : mem.log->lines()) {
    EXPECT_EQ(line.find("s3cret"), std::string::npos) << line;
    if (line.rfind("Arguments: ", 0) == 0) {
      sawArguments = true;
      EXPECT_EQ(line.substr(line.size() - 11), "-xu, mailer");
    }
  }
  EXPECT_TRUE(sawArguments);
  EXPECT_TRUE(mem.log->contains("Host: smtp.example.org"));
  EXPECT_TRUE(mem.log->contains("Sending mail..."));
  EXPECT_TRUE(mem.log->contains("SendEmail Output: Jan 02 09:41:00 testhost sendEmail[4242]: Email was sent"));
  EXPECT_TRUE(mem.log->contains("E-mail report sent."));
}

TEST_F(EmailReportTest, NoKeychainEntryMeansTheToolIsNotStarted) {
  set("OutputDebugMessages", true);
  set("EmailAuthenticationType", 1);
  set("EmailUsername", "stranger");
  EXPECT_EQ(send(), "Username/password item not found");
  EXPECT_TRUE(mailCalls().empty());
  EXPECT_TRUE(mem.log->contains("Sending mail..."));
  EXPECT_FALSE(mem.log->contains("Arguments:"));
  EXPECT_TRUE(mem.log->contains("E-mail report not sent: Username/password item not found"));
}

TEST_F(EmailReportTest, APasswordSendEmailCannotReadIsNotSent) {
  set("EmailAuthenticationType", 1);
  set("EmailUsername", "mailer");
  keychain[{"Tarvel (SMTP): mailer", "mailer"}] = "two\nlines";
  EXPECT_EQ(send(), "the password holds a line feed, which sendEmail cannot read");
  EXPECT_TRUE(mailCalls().empty());
}

TEST_F(EmailReportTest, OutcomeFromTheToolsOutput) {
  struct Case {
    std::string output;
    int status;
    std::optional<std::string> failure;
  };
  const std::vector<Case> cases = {
      {"Jan 02 09:41:00 h sendEmail[1]: Email was sent successfully!\n", 0, std::nullopt},
      {"Jan 02 09:41:00 h sendEmail[1]: ERROR => Connection refused\n", 1, "Connection refused"},
      {"ERROR => first\nsomething\nERROR => second try\n", 1, "second try"},
      {"it said ERROR\n", 1, "it said ERROR"},
      {"ERROR =>\n", 1, "ERROR =>"},
      {"\xff\xfe not text\n", 0, "Error running email command"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    mailToolAnswers(c.output, c.status);
    EXPECT_EQ(send(), c.failure);
  }
  EXPECT_TRUE(mem.log->contains("E-mail report not sent: Connection refused"));
}

TEST_F(EmailReportTest, MissingToolIsCaughtAndLogged) {
  set("OutputDebugMessages", true);
  fs::remove(fs::path(fake.bundlePath()) / "Contents/MacOS/sendEmail");
  std::optional<std::string> failure = send();
  ASSERT_TRUE(failure.has_value());
  EXPECT_TRUE(mem.log->contains("Mail send exception raised. Name: LaunchException; Reason: cannot run"));
  EXPECT_TRUE(mem.log->contains("E-mail report not sent: cannot run"));
}

TEST_F(EmailReportTest, AbsentPortIsStoredAs25) {
  auto bare = platform::memory::makePlatform(scratch.path().string());
  bare.platform.bundle.bundlePath = fake.bundlePath();
  platform::install(bare.platform);
  EXPECT_EQ(send(), std::nullopt);
  ASSERT_EQ(mailCalls().size(), 1u);
  EXPECT_EQ(mailCalls()[0].back(), ":25");
  EXPECT_EQ(bare.store->load("own")->at("EmailCustomPort"), PlistValue(25));
}

}  // namespace
}  // namespace monitor_test
