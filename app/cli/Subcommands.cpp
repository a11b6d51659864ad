#include "app/cli/Subcommands.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "app/cli/DefaultsCommand.h"
#include "platform/linux/BundleLocation.h"

namespace cli {

namespace {

// `tarvel notify` is the bundle's tarvel-notify: D-Bus needs Qt, which the
// checks should not load.
int execNotify(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const std::string program =
      (std::filesystem::path(platform::real::locateBundle().executableFolder) / "tarvel-notify").string();
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  out.flush();
  std::cout.flush();
  ::execv(program.c_str(), argv.data());
  if (errno == ENOENT)
    err << "tarvel: 'notify' needs the desktop libraries; this build was made without them (there is no "
        << program << ")\n";
  else
    err << "tarvel: cannot run " << program << ": " << std::strerror(errno) << "\n";
  return 3;
}

}  // namespace

std::optional<int> runSubcommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) return std::nullopt;
  const std::string& name = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (name == "defaults") return runDefaultsCommand(rest, out, err);
  if (name == "notify") return execNotify(rest, out, err);
  return std::nullopt;
}

}  // namespace cli
