// The e-mail report through the bundle's real sendEmail to a local SMTP
// server (tests/tray/smtp_sink.py) that holds the session open after the
// login, while the test reads every process's arguments and environment.
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "monitor/KRTarvelMenuItemController.h"
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
  Sink(const fs::path& folder, const fs::path& hold) : folder_(folder) {
    fs::create_directories(folder);
    const fs::path portFile = folder / "port";
    int input = memfd_create("sink-password", MFD_CLOEXEC);
    const std::string line = std::string(kPassword) + "\n";
    if (input < 0 || write(input, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return;
    lseek(input, 0, SEEK_SET);
    const std::string script = (testing_support::sourceDir() / "tests/tray/smtp_sink.py").string();
    const std::string messages = (folder / "messages").string();
    fs::create_directories(messages);
    const std::string holdVariable = "SMTP_SINK_HOLD=" + hold.string();
    pid_ = fork();
    if (pid_ == 0) {
      int port = open(portFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      int log = open((folder / "sink.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(input, 0);
      dup2(log, 1);
      dup2(log, 2);
      dup2(port, 3);
      putenv(const_cast<char*>(holdVariable.c_str()));
      execl("/usr/bin/python3", "python3", script.c_str(), messages.c_str(), "monitor", "-", nullptr);
      _exit(127);
    }
    close(input);
    waitFor([&] { return readFile(portFile).find('\n') != std::string::npos; }, 20);
    const std::string text = readFile(portFile);
    if (text.find('\n') != std::string::npos) port_ = std::stoi(text);
  }
  ~Sink() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
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
  fs::path folder_;
  pid_t pid_ = -1;
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
