// Installs the real platform services of the command-line program.
#pragma once

#include <memory>
#include <string>

#include "platform/Preferences.h"
#include "platform/Services.h"

namespace cli {

struct StartupSettings {
  bool logToStderr = false;    // the log also on standard error
  bool debugMessages = false;  // "OutputDebugMessages" on for this run
};

// Installs syslog, the bundle's string tables, the bundle paths and the
// preferences. Returns a warning when the folders for raw data cannot be
// made (checking still works), else nothing.
std::optional<std::string> installPlatform(const StartupSettings& settings);

// Runs the real smartctl without the bundle's gate where the gate is not
// needed: for replays, and for every drive when running as root. Only when
// the bundle's smartctl is the gate: another program there (a simulated
// machine) is always run.
void bypassGateWhereNeedless();

// The preferences the command line reads: the user's stored domains over
// the registered defaults.
std::shared_ptr<platform::Preferences> commandLinePreferences(platform::Log* log);

}  // namespace cli
