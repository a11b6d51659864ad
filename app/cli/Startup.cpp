#include "app/cli/Startup.h"

#include <unistd.h>

#include <climits>
#include <cstdio>

#include "platform/Platform.h"
#include "platform/linux/BundleLocation.h"
#include "platform/linux/FileStrings.h"
#include "platform/linux/SyslogLog.h"

namespace cli {

namespace {

const char* kMenuItemDomain = "org.tarvel.TarvelMenuItem";
const char* kMainAppDomain = "org.tarvel.Tarvel";

std::string hostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0 || !*name) return "localhost";
  return name;
}

// The monitor's registered defaults; the command line reads the same keys.
platform::PlistValue::Dict registeredDefaults() {
  return {
      {"AutoExpandDrives", "YES"},      {"OutputDebugMessages", "NO"},      {"ShowUnsupportedDrives", "NO"},
      {"IgnoreAttribute190", "YES"},    {"IgnoreAttribute196", "NO"},       {"RememberErrorCount", "NO"},
      {"RememberBadSectors", "NO"},     {"DisplayTempInFahrenheit", "NO"},  {"CustomBadSectorCount", "NO"},
      {"CustomErrorCount", "NO"},       {"CustomBadSectorCountValue", 0},   {"CustomErrorCountValue", 50},
      {"PollDrives", "YES"},            {"PollingInterval", 3600},          {"FailedTestIsNew", "NO"},
      {"GrowlDrivePassed", "YES"},      {"GrowlDriveFailing", "YES"},       {"GrowlDriveFailed", "YES"},
      {"GrowlTestCompleted", "YES"},    {"EmailDrivePassed", "NO"},         {"EmailDriveFailing", "NO"},
      {"EmailDriveFailed", "NO"},       {"EmailTestCompleted", "NO"},       {"EmailHostName", hostName()},
      {"EmailFromAddress", ""},         {"EmailToAddress", ""},             {"EmailSMTPAddress", ""},
      {"EmailAuthenticationType", 0},   {"EmailUsername", ""},              {"EmailPassword", ""},
      {"EmailCustomPort", "25"},        {"EmailSSL", "NO"},
  };
}

// Alerts never block a command line: they become messages on standard error.
class StderrAlerts : public platform::Alerts {
 public:
  void showCritical(const std::string& message, const std::string& informative, const std::string&) override {
    std::fprintf(stderr, "tarvel: %s: %s\n", message.c_str(), informative.c_str());
  }
};

}  // namespace

std::shared_ptr<platform::Preferences> commandLinePreferences() {
  // TODO(prefs): the stored domains (PlistDomainStore) once they are in;
  // until then only the registered defaults are read.
  auto prefs = std::make_shared<platform::Preferences>(kMenuItemDomain, std::make_shared<platform::MemoryDomainStore>());
  prefs->registerDefaults(registeredDefaults());
  prefs->addSuite(kMainAppDomain);
  return prefs;
}

std::optional<std::string> installPlatform(const StartupSettings& settings) {
  platform::Platform p;
  auto log = std::make_shared<platform::real::SyslogLog>(settings.logToStderr);
  p.log = log;
  p.bundle = platform::real::locateBundle();
  p.strings = std::make_shared<platform::real::FileStrings>(p.bundle.resourcesPath, log.get());
  p.alerts = std::make_shared<StderrAlerts>();
  p.notifications = std::make_shared<platform::NotificationCenter>();
  p.preferences = commandLinePreferences();
  // Only the lowest layer: a value the user stored still wins.
  if (settings.debugMessages) p.preferences->registerDefaults({{"OutputDebugMessages", "YES"}});
  std::string error;
  bool folders = platform::real::ensureWritableFolders(p.bundle, &error);
  platform::install(std::move(p));
  if (!folders) return error + "; raw data will not be saved";
  return std::nullopt;
}

}  // namespace cli
