#include "app/cli/Subcommands.h"

namespace cli {

std::optional<int> runSubcommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
  if (args.empty()) return std::nullopt;
  const std::string& name = args[0];
  // TODO(prefs): runDefaultsCommand (app/DefaultsCommand.h) and
  // runNotifyCommand (app/NotifyCommand.h) with args[1...] once they are in.
  if (name == "defaults" || name == "notify") {
    err << "tarvel: '" << name << "' is not part of this build yet\n";
    return 3;
  }
  return std::nullopt;
}

}  // namespace cli
