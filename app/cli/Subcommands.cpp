#include "app/cli/Subcommands.h"

#include "app/cli/DefaultsCommand.h"
#ifdef TARVEL_HAVE_DBUS
#include "app/cli/NotifyCommand.h"
#endif

namespace cli {

std::optional<int> runSubcommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) return std::nullopt;
  const std::string& name = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (name == "defaults") return runDefaultsCommand(rest, out, err);
#ifdef TARVEL_HAVE_DBUS
  if (name == "notify") return runNotifyCommand(rest, out, err);
#endif
  if (name == "notify") {
    (void)out;
    err << "tarvel: 'notify' needs the desktop libraries; this build was made without them\n";
    return 3;
  }
  return std::nullopt;
}

}  // namespace cli
