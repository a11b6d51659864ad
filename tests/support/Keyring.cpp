#include "tests/support/Keyring.h"

#include <QtCore/QThread>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusConnectionInterface>

#include <fstream>

namespace testing_support {

Keyring::Keyring(const fs::path& scratch) {
  for (const char* dir : {"keyring-home", "keyring-data", "keyring-runtime"}) fs::create_directories(scratch / dir);
  fs::permissions(scratch / "keyring-runtime", fs::perms::owner_all);
  std::ofstream(scratch / "keyring-password") << "keyring password";
  daemon_.emplace(std::vector<std::string>{"/usr/bin/gnome-keyring-daemon", "--foreground", "--unlock",
                                           "--components=secrets"},
                  Environment{{"HOME", (scratch / "keyring-home").string()},
                              {"XDG_DATA_HOME", (scratch / "keyring-data").string()},
                              {"XDG_RUNTIME_DIR", (scratch / "keyring-runtime").string()}},
                  scratch / "keyring.log", std::nullopt, scratch / "keyring-password");
  auto* bus = QDBusConnection::sessionBus().interface();
  for (int i = 0; i < 400 && !ok_; ++i) {
    ok_ = bus->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")).value();
    if (!ok_) QThread::msleep(50);
  }
}

std::optional<std::string> Keyring::lookup(const std::vector<std::string>& attributes) {
  std::vector<std::string> argv{"/usr/bin/secret-tool", "lookup"};
  argv.insert(argv.end(), attributes.begin(), attributes.end());
  auto r = runProcess(argv);
  if (r.status != 0) return std::nullopt;
  return r.out;
}

bool Keyring::store(const std::string& label, const std::string& password, const std::vector<std::string>& attributes) {
  std::vector<std::string> argv{"/usr/bin/secret-tool", "store", "--label=" + label};
  argv.insert(argv.end(), attributes.begin(), attributes.end());
  return runProcess(argv, password).status == 0;
}

}  // namespace testing_support
