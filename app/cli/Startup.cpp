#include "app/cli/Startup.h"


#include <unistd.h>

#include <cstdio>

#include "app/cli/GateMark.h"
#include "app/cli/SmartctlGate.h"
#include "app/cli/SmartctlSetup.h"
#include "engine/DirectSmartctl.h"

#include "monitor/RegisteredDefaults.h"
#include "platform/Domains.h"
#include "platform/Platform.h"
#include "platform/PreferenceKeys.h"
#include "platform/linux/BundleLocation.h"
#include "platform/linux/FileStrings.h"
#include "platform/linux/PlistDomainStore.h"
#include "platform/linux/SyslogLog.h"

namespace cli {

namespace {

// Alerts never block a command line: they become messages on standard error.
class StderrAlerts : public platform::Alerts {
 public:
  void showCritical(const std::string& message, const std::string& informative, const std::string&) override {
    std::fprintf(stderr, "tarvel: %s: %s\n", message.c_str(), informative.c_str());
  }
};

}  // namespace

std::shared_ptr<platform::Preferences> commandLinePreferences(platform::Log* log) {
  auto store = std::make_shared<platform::real::PlistDomainStore>(platform::real::defaultPreferencesFolder(), log);
  auto prefs = std::make_shared<platform::Preferences>(platform::kMenuItemDomain, store);
  prefs->registerDefaults(monitor::registeredDefaults());
  prefs->addSuite(platform::kMainAppDomain);
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
  p.preferences = commandLinePreferences(log.get());
  // Only the lowest layer: a value the user stored still wins.
  if (settings.debugMessages) p.preferences->registerDefaults({{platform::keys::kOutputDebugMessages, "YES"}});
  std::string error;
  bool folders = platform::real::ensureWritableFolders(p.bundle, &error);
  platform::install(std::move(p));
  if (!folders) return error + "; raw data will not be saved";
  return std::nullopt;
}

void bypassGateWhereNeedless() {
  if (!isGate(bundledSmartctlPath())) return;
  const bool root = ::geteuid() == 0;
  engine::DirectSmartctl direct{kRealSmartctl, {}, root, {}};
  for (const char* e : kSmartctlEnvironment) direct.environment.push_back(e);
  // Only root may change drives here; for anyone else the gate itself
  // decides, with its group.
  direct.vet = [root](const std::vector<std::string>& arguments) -> std::optional<std::vector<std::string>> {
    gate::Decision d = gate::decide(arguments, gate::Caller{root, ""}, gate::inspectDevice);
    if (!d.allowed) return std::nullopt;
    return d.arguments;
  };
  engine::setDirectSmartctl(std::move(direct));
}

}  // namespace cli
