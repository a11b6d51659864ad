// The e-mail report: runs the bundle's sendEmail tool with the report and
// the mail account from the preferences and the keychain.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "engine/KRTask.h"
#include "monitor/KRTarvelMenuItemController.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Platform.h"

using platform::format;

namespace {

std::string join(const std::vector<std::string>& list, const char* separator) {
  std::string out;
  for (size_t i = 0; i < list.size(); ++i) out += (i ? separator : "") + list[i];
  return out;
}

// sendEmail reports a failure as a line such as "... ERROR => Connection
// refused"; the reason starts 9 characters after "ERROR", and the last such
// line wins. A line too short to hold a reason there is its own reason.
std::optional<std::string> failureInOutput(const OutputLines& lines) {
  std::optional<std::string> reason;
  for (const std::string& line : lines) {
    size_t at = line.find("ERROR");
    if (at == std::string::npos) continue;
    reason = at + 9 < line.size() ? line.substr(at + 9) : line;
  }
  return reason;
}

// The password reaches sendEmail on its standard input, which it reads
// when it has a user name and no "-xp": as an argument it would show in
// every process listing, to every local user (sendEmail even copies its
// arguments into its process title). A pipe, reopened by the child
// through /proc, keeps it out of files, arguments and environment.
class PasswordPipe {
 public:
  explicit PasswordPipe(const std::string& password) {
    if (password.find('\n') != std::string::npos)
      throw platform::Exception("PasswordException", "the password holds a line feed, which sendEmail cannot read");
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
      throw platform::Exception("PasswordException", std::string("cannot create a pipe: ") + std::strerror(errno));
    readEnd_ = fds[0];
    const std::string line = password + "\n";
    const ssize_t written = ::write(fds[1], line.data(), line.size());
    ::close(fds[1]);
    if (written != static_cast<ssize_t>(line.size()))
      throw platform::Exception("PasswordException", "the password is too long to hand to sendEmail");
  }
  ~PasswordPipe() { ::close(readEnd_); }
  PasswordPipe(const PasswordPipe&) = delete;
  PasswordPipe& operator=(const PasswordPipe&) = delete;
  std::string path() const { return "/proc/self/fd/" + std::to_string(readEnd_); }

 private:
  int readEnd_ = -1;
};

}  // namespace

std::optional<std::string> KRTarvelMenuItemController::sendEmailWithSubjectAndMessage(
    const std::vector<std::string>& message, const PasswordLookup& passwordLookup) {
  platform::Preferences& prefs = platform::prefs();
  const bool debug = prefs.boolForKey("OutputDebugMessages");
  std::optional<std::string> failure;
  try {
    if (message.size() < 2) throw platform::rangeError("the report needs a subject and a body");
    std::vector<std::string> arguments;
    arguments.reserve(8);
    arguments.insert(arguments.end(), {"-f", prefs.stringForKey("EmailFromAddress").value_or(""), "-t",
                                       prefs.stringForKey("EmailToAddress").value_or(""), "-u", message[0], "-m",
                                       message[1]});
    if (!prefs.objectForKey("EmailCustomPort")) prefs.setInteger("EmailCustomPort", 25);
    const std::string host = prefs.stringForKey("EmailSMTPAddress").value_or("");
    arguments.insert(arguments.end(),
                     {"-s", format("%@:%@", host, prefs.stringForKey("EmailCustomPort").value_or(""))});
    if (prefs.boolForKey("EmailSSL")) arguments.insert(arguments.end(), {"-o", "tls=yes"});
    if (debug) platform::log(format("Host: %@", host));

    bool haveAccount = true;
    std::optional<std::string> password;
    if (prefs.integerForKey("EmailAuthenticationType") != 0) {
      const std::string user = prefs.stringForKey("EmailUsername").value_or("");
      if (passwordLookup) password = passwordLookup(format("Tarvel (SMTP): %@", user), user);
      if (password) {
        arguments.insert(arguments.end(), {"-xu", user});
        if (debug) platform::log(format("Arguments: %@", join(arguments, ", ")));
      } else {
        haveAccount = false;
        failure = "Username/password item not found";
      }
    }
    if (debug) platform::log("Sending mail...");

    if (haveAccount) {
      const std::string tool =
          (std::filesystem::path(platform::bundle().bundlePath) / "Contents" / "MacOS" / "sendEmail").string();
      KRTask task;
      std::optional<PasswordPipe> secret;
      if (password) {
        secret.emplace(*password);
        task.setReadFromFilePath(secret->path());
      }
      std::optional<OutputLines> output = task.parseCommandLine(tool, arguments);
      if (!output || output->empty()) {
        failure = "Error running email command";
      } else {
        if (debug) platform::log(format("SendEmail Output: %@", join(*output, "\n")));
        failure = failureInOutput(*output);
      }
    }
  } catch (const platform::Exception& e) {
    if (debug) platform::log(format("Mail send exception raised. Name: %@; Reason: %@", e.name(), e.reason()));
    failure = e.reason();
  } catch (const std::exception& e) {
    if (debug) platform::log(format("Mail send exception raised. Name: %@; Reason: %@", "Exception", e.what()));
    failure = e.what();
  }
  platform::log(failure ? format("E-mail report not sent: %@", *failure) : std::string("E-mail report sent."));
  return failure;
}
