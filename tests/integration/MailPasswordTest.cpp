// The e-mail report through the bundle's real sendEmail to a local SMTP
// server (tests/tray/smtp_sink.py) that holds the session open after the
// login, while the test reads every process's arguments and environment.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "monitor/KRTarvelMenuItemController.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TestPlatform.h"

namespace fs = std::filesystem;
using platform::PlistValue;
using testing_support::readFile;

namespace {

constexpr const char* kPassword = "pw-7f3a9c1e-must-never-show";

bool waitFor(const std::function<bool()>& done, int seconds) {
  for (int i = 0; i < seconds * 50; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

// The SMTP server with the login "monitor" and the password, which it
// reads on its standard input so that it shows nowhere either.
class Sink {
 public:
  Sink(const fs::path& folder, const fs::path& hold)
      : folder_((fs::create_directories(folder / "messages"), folder)),
        server_({"/usr/bin/python3", (testing_support::sourceDir() / "tests/tray/smtp_sink.py").string(),
                 (folder / "messages").string(), "monitor", "-"},
                {{"SMTP_SINK_HOLD", hold.string()}}, folder / "sink.log", folder / "port",
                passwordFile(folder / "password")) {
    const std::string port = server_.firstLine(folder / "port");
    if (!port.empty()) port_ = std::stoi(port);
  }
  int port() const { return port_; }
  std::string log() const { return readFile(folder_ / "sink.log"); }
  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(folder_ / "messages"))
      if (entry.path().extension() == ".eml") out.push_back(readFile(entry.path()));
    return out;
  }

 private:
  static fs::path passwordFile(const fs::path& file) {
    std::ofstream(file) << kPassword << "\n";
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    return file;
  }

  fs::path folder_;
  testing_support::Child server_;
  int port_ = 0;
};

struct Seen {
  std::vector<std::string> leaks;  // where the password showed
  bool sawSendEmail = false;       // the scan found the mailer itself, environment and all
};

Seen scanProcesses() {
  Seen seen;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string pid = entry.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string cmdline = readFile(entry.path() / "cmdline");
    const std::string environ = readFile(entry.path() / "environ");
    if (cmdline.find(kPassword) != std::string::npos) seen.leaks.push_back(pid + " cmdline: " + cmdline);
    if (environ.find(kPassword) != std::string::npos) seen.leaks.push_back(pid + " environ");
    if (cmdline.find("sendEmail") != std::string::npos && !environ.empty()) seen.sawSendEmail = true;
  }
  return seen;
}

class MailPasswordTest : public testing_support::PlatformTest {};

}  // namespace

TEST_F(MailPasswordTest, ThePasswordShowsInNoProcessAndTheMailArrivesWithTheLogin) {
  const fs::path hold = scratch.path() / "hold";
  std::ofstream(hold).close();
  Sink sink(scratch.path() / "sink", hold);
  ASSERT_GT(sink.port(), 0) << sink.log();

  mem.platform.bundle.bundlePath = (testing_support::buildDir() / "Tarvel Menu Item.app").string();
  platform::install(mem.platform);
  ASSERT_EQ(fs::read_symlink(mem.platform.bundle.bundlePath + "/Contents/MacOS/sendEmail"), "/usr/bin/sendEmail");
  platform::Preferences& prefs = platform::prefs();
  prefs.setObject("EmailFromAddress", PlistValue(std::string("tarvel@workstation.test")));
  prefs.setObject("EmailToAddress", PlistValue(std::string("admin@example.test")));
  prefs.setObject("EmailSMTPAddress", PlistValue(std::string("127.0.0.1")));
  prefs.setObject("EmailCustomPort", PlistValue(std::to_string(sink.port())));
  prefs.setInteger("EmailAuthenticationType", 1);
  prefs.setObject("EmailUsername", PlistValue(std::string("monitor")));
  const monitor::PasswordLookup keychain = [](const std::string& service, const std::string& account) {
    return service == "Tarvel (SMTP): monitor" && account == "monitor" ? std::optional<std::string>(kPassword)
                                                                       : std::nullopt;
  };

  std::optional<std::string> failure = "not sent";
  std::thread sender([&] {
    failure = KRTarvelMenuItemController::sendEmailWithSubjectAndMessage({"Drive report", "sda: FAILED\n"}, keychain);
  });
  // Logged in and held at DATA: sendEmail is running, the password in hand.
  const bool held = waitFor([&] { return fs::exists(hold.string() + ".held"); }, 60);
  const Seen seen = scanProcesses();
  fs::remove(hold);
  sender.join();

  ASSERT_TRUE(held) << sink.log();
  EXPECT_TRUE(seen.sawSendEmail);
  EXPECT_EQ(seen.leaks, std::vector<std::string>{});
  EXPECT_EQ(failure, std::nullopt) << sink.log();
  const auto messages = sink.messages();
  ASSERT_EQ(messages.size(), 1u) << sink.log();
  EXPECT_NE(messages[0].find("X-Sink-Login: monitor\n"), std::string::npos) << messages[0];
  EXPECT_NE(messages[0].find("\nSubject: Drive report\n"), std::string::npos) << messages[0];
  EXPECT_NE(messages[0].find("\nsda: FAILED\n"), std::string::npos) << messages[0];
}
