// The tray program's command line. It needs none: the options are for
// looking into problems (--verbose) and for running it on a simulated
// machine in tests and demos (--listings).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tray {

struct TrayOptions {
  std::optional<std::string> listingsFolder;  // FOLDER/ls and FOLDER/df instead of /bin/ls and /bin/df
  bool verbose = false;                       // the log also on standard error
  bool help = false;
  bool version = false;
  std::optional<std::string> error;           // what was wrong with the arguments
};

// `args` without the program name, Qt's own options already taken out.
TrayOptions parseTrayOptions(const std::vector<std::string>& args);

std::string trayUsage();

}  // namespace tray
