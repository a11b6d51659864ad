#include "app/cli/Main.h"

#include "app/cli/Check.h"
#include "app/cli/DriveCommands.h"
#include "app/cli/Options.h"
#include "app/cli/Startup.h"
#include "app/cli/Subcommands.h"
#include "engine/TimeLimit.h"

#ifndef TARVEL_VERSION
#define TARVEL_VERSION "unknown"
#endif

namespace cli {

namespace {

discovery::NamingProfile namingFor(const Options& o) {
  discovery::NamingProfile p = !o.naming ? discovery::nativeNaming() : *o.naming == "macos" ? discovery::macOSNaming() : discovery::linuxNaming();
  if (o.listingsFolder) {
    p.lsPath = *o.listingsFolder + "/ls";
    p.dfPath = *o.listingsFolder + "/df";
  }
  return p;
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (auto status = runSubcommand(args, out, err)) return *status;

  ParsedOptions parsed = parseOptions(args);
  if (!parsed.options) {
    err << "tarvel: " << parsed.error << "\nTry 'tarvel --help'.\n";
    return 3;
  }
  const Options& o = *parsed.options;
  if (o.help) {
    out << usage();
    return 0;
  }
  if (o.version) {
    out << "tarvel " << TARVEL_VERSION << "\n";
    return 0;
  }

  if (auto warning = installPlatform({o.verbose, o.debug})) err << "tarvel: warning: " << *warning << "\n";
  if (o.timeout) engine::overrideSmartctlTimeLimit(*o.timeout);
  bypassGateWhereNeedless();

  if (o.command != DriveCommand::None) return runDriveCommand(o, out, err);
  return runCheck(o, namingFor(o), out, err);
}

}  // namespace cli
