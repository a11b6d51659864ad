#include "app/cli/NotifyCommand.h"

#include <QtCore/QCoreApplication>

#include <optional>

#include "platform/desktop/DBusDistributedCenter.h"

namespace cli {

int runNotifyCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  (void)out;
  if (args.empty() || args.size() > 2 || args[0].empty()) {
    err << "usage: tarvel notify NAME [OBJECT]\n"
           "       e.g. tarvel notify TRPrefsChanged, tarvel notify TRQuit\n";
    return 2;
  }
  // QtDBus wants an application object; the command line has none of its own.
  static int argc = 1;
  static char name[] = "tarvel";
  static char* argv[] = {name, nullptr};
  std::optional<QCoreApplication> app;
  if (!QCoreApplication::instance()) app.emplace(argc, argv);

  std::string error;
  if (!platform::desktop::postDistributedNotification(args[0], args.size() > 1 ? args[1] : "", &error)) {
    err << "Could not post " << args[0] << ": " << error << '\n';
    return 1;
  }
  return 0;
}

}  // namespace cli
