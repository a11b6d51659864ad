// What the tray program meets on a desktop, made by the test: an X server
// (Xvfb), a panel (a StatusNotifierWatcher that reads the registered item's
// menu through dbusmenu and clicks it), a keyring, a mail server, and a
// simulated machine for the program to run on. Everything runs on the
// private session bus the test was started with (dbus-run-session).
#pragma once

#include <sys/types.h>

#include <QtCore/QObject>
#include <QtCore/QStringList>
#include <QtCore/QVariantMap>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusMessage>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/Keyring.h"
#include "tests/support/RunProcess.h"

namespace tray_test {

namespace fs = std::filesystem;

// Runs the main loop until `done` or a limit that only keeps a broken test
// from hanging.
bool spinUntil(const std::function<bool()>& done, int limitMs = 30000);

using testing_support::Child;
using testing_support::Keyring;

// Xvfb on a display it picks itself (-displayfd).
class Xvfb {
 public:
  explicit Xvfb(const fs::path& scratch);
  std::string display() const { return display_; }

 private:
  std::optional<Child> server_;
  std::string display_;
};

// The panel's side of StatusNotifierItem: org.kde.StatusNotifierWatcher on
// its own connection, with a host registered, recording the items.
class StatusNotifierWatcher : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
  Q_PROPERTY(int ProtocolVersion READ protocolVersion)
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)

 public:
  struct Item {
    QString service;
    QString path;
  };
  StatusNotifierWatcher();
  ~StatusNotifierWatcher() override;

  bool ok = false;
  std::vector<Item> items;

  bool hostRegistered() const { return true; }
  int protocolVersion() const { return 0; }
  QStringList registeredItems() const;

 public slots:
  void RegisterStatusNotifierItem(const QString& serviceOrPath, const QDBusMessage& message);
  void RegisterStatusNotifierHost(const QString&) {}

 signals:
  void StatusNotifierItemRegistered(const QString& item);
  void StatusNotifierItemUnregistered(const QString& item);
  void StatusNotifierHostRegistered();

 private:
  QDBusConnection bus_;
};

// One node of a dbusmenu layout.
struct MenuNode {
  int id = 0;
  QVariantMap properties;
  std::vector<MenuNode> children;
};

// A registered StatusNotifierItem as a panel reads and drives it.
class PanelItem {
 public:
  PanelItem(QString service, QString path) : service_(std::move(service)), path_(std::move(path)) {}
  QVariant property(const QString& name) const;
  // The colour of the icon as the panel would draw it (IconPixmap).
  std::string iconColour() const;
  // The title of the item's tool tip.
  std::string toolTipTitle() const;
  MenuNode layout() const;
  // The menu, one line per item (see dumpMenu).
  std::vector<std::string> menu() const;
  // Clicks the top-level item with this label, as a panel does; false when
  // there is none.
  bool click(const std::string& label) const;

 private:
  QString service_, path_;
};

// One line per item: the label, then what differs from a plain enabled
// item: " indent=N" for leading em spaces, " (disabled)", " icon=COLOUR",
// " [Control+Q]", " {submenu items}". Separators are "---".
std::vector<std::string> dumpMenu(const MenuNode& menu);

// Returns once every message sent to the process `pid` on the bus so far
// has reached it: one round trip through each of its bus connections.
void syncWithProcess(pid_t pid);

// A mail server (aiosmtpd) that saves each message it is given, with the
// login it was given, into a folder; it takes mail only after a login
// with `user` and `password` when those are given.
class SmtpSink {
 public:
  SmtpSink(const fs::path& folder, const std::string& user = "", const std::string& password = "");
  int port() const { return port_; }
  // The saved messages, oldest first.
  std::vector<std::string> messages() const;

 private:
  fs::path folder_;
  std::optional<Child> server_;
  int port_ = 0;
};

// A simulated machine (tests/simulated-machine/make-machine.sh) with the
// tray program, the bundle's resources and a sendEmail that records its
// arguments (mail-args-N, NUL-separated) before handing them to the real
// one. `drives` lines are "DEVICE DRIVE-DESCRIPTION" or "DEVICE !REASON".
fs::path makeTrayMachine(const fs::path& scratch, const std::string& name, const std::string& devices,
                         const std::string& mounts, const std::string& drives);

// Adds one disk to a machine made above: its device lines, its mount
// lines, and its trace. For "Rescan For Drives".
void attachDisk(const fs::path& machine, const std::string& devices, const std::string& mountLines,
                const std::string& device, const std::string& description);

// The sendEmail argument lists recorded in a machine, in order of the calls.
std::vector<std::vector<std::string>> mailToolCalls(const fs::path& machine);

}  // namespace tray_test
