#include "app/tray/TrayOptions.h"

namespace tray {

TrayOptions parseTrayOptions(const std::vector<std::string>& args) {
  TrayOptions o;
  for (size_t i = 0; i < args.size() && !o.error; ++i) {
    const std::string& arg = args[i];
    if (arg == "-v" || arg == "--verbose") {
      o.verbose = true;
    } else if (arg == "-h" || arg == "--help") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else if (arg == "--listings") {
      if (i + 1 == args.size() || args[i + 1].empty()) o.error = "--listings needs a FOLDER";
      else o.listingsFolder = args[++i];
    } else if (arg.starts_with("--listings=")) {
      o.listingsFolder = arg.substr(11);
      if (o.listingsFolder->empty()) o.error = "--listings needs a FOLDER";
    } else {
      o.error = "unknown argument " + arg;
    }
  }
  return o;
}

std::string trayUsage() {
  return "Usage: tarvel-menu-item [--verbose] [--listings FOLDER]\n"
         "The Tarvel icon in the desktop panel: checks the drives' SMART health hourly\n"
         "and on request. It is configured with 'tarvel defaults' (see the README).\n"
         "  -v, --verbose       copy the log (system log, ident \"Tarvel\") to standard error\n"
         "  --listings FOLDER   run FOLDER/ls and FOLDER/df instead of /bin/ls and /bin/df,\n"
         "                      to check a simulated machine\n"
         "  --version           print the version\n";
}

}  // namespace tray
