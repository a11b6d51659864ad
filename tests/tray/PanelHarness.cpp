#include "tests/tray/PanelHarness.h"

#include <gtest/gtest.h>

#include <QtCore/QCoreApplication>
#include <QtCore/QDeadlineTimer>
#include <QtCore/QEventLoop>
#include <QtCore/QThread>
#include <QtCore/QTimer>
#include <QtDBus/QDBusArgument>
#include <QtDBus/QDBusConnectionInterface>
#include <QtDBus/QDBusObjectPath>
#include <QtDBus/QDBusPendingCall>
#include <QtDBus/QDBusReply>
#include <QtDBus/QDBusVariant>
#include <QtGui/QImage>

#include <algorithm>
#include <fstream>
#include <regex>

#include "tests/support/RunProcess.h"
#include "tests/support/SimulatedMachine.h"
#include "tests/support/TestPlatform.h"

namespace tray_test {

using testing_support::buildDir;
using testing_support::readFile;
using testing_support::sourceDir;

// Looks every 10 ms instead of waiting for a signal, which can be missed,
// and sleeps in between, so that a busy machine is not kept busier.
bool spinUntil(const std::function<bool()>& done, int limitMs) {
  if (done()) return true;
  QDeadlineTimer limit(limitMs);
  QEventLoop loop;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
    if (done() || limit.hasExpired()) loop.quit();
  });
  tick.start(10);
  loop.exec();
  return done();
}

// --- Xvfb -------------------------------------------------------------------

Xvfb::Xvfb(const fs::path& scratch) {
  const fs::path displayFile = scratch / "xvfb.display";
  server_.emplace(
      std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "800x600x24"},
      std::map<std::string, std::string>{}, scratch / "xvfb.log", displayFile);
  const std::string number = server_->firstLine(displayFile);
  if (!number.empty()) display_ = ":" + number;
}

// --- StatusNotifierWatcher --------------------------------------------------

StatusNotifierWatcher::StatusNotifierWatcher()
    : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("watcher"))) {
  ok = bus_.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                           QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                               QDBusConnection::ExportAllProperties) &&
       bus_.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
}

StatusNotifierWatcher::~StatusNotifierWatcher() {
  bus_.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
  QDBusConnection::disconnectFromBus(QStringLiteral("watcher"));
}

QStringList StatusNotifierWatcher::registeredItems() const {
  QStringList out;
  for (const Item& i : items) out << i.service + i.path;
  return out;
}

// Items name themselves by bus name (object at /StatusNotifierItem) or by
// object path (on the caller's connection).
void StatusNotifierWatcher::RegisterStatusNotifierItem(const QString& serviceOrPath, const QDBusMessage& message) {
  Item item = serviceOrPath.startsWith(QLatin1Char('/')) ? Item{message.service(), serviceOrPath}
                                                         : Item{serviceOrPath, QStringLiteral("/StatusNotifierItem")};
  items.push_back(item);
  emit StatusNotifierItemRegistered(item.service + item.path);
}

// --- Reading the item ---------------------------------------------------------

namespace {

// The colour of an icon's middle: "red", "yellow", "green", or "?".
std::string colourName(unsigned r, unsigned g, unsigned b) {
  if (r > 150 && g > 150 && b < 100) return "yellow";
  if (r > g + 60 && r > b + 60) return "red";
  if (g > r + 40 && g > b + 40) return "green";
  return "?";
}

QDBusMessage call(const QString& service, const QString& path, const QString& interface, const QString& method,
                  const QVariantList& args) {
  QDBusMessage m = QDBusMessage::createMethodCall(service, path, interface, method);
  m.setArguments(args);
  // Waiting in an event loop: the watcher in this process may be asked
  // something by the program while it answers us. Polled, with a limit of
  // our own: Qt's blocking call with an event loop can miss the answer
  // on a busy machine and then never return.
  QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(m, 10000);
  if (!spinUntil([&] { return pending.isFinished(); }, 12000))
    return QDBusMessage::createError(QDBusError::Timeout, QStringLiteral("no answer within 12 s"));
  return pending.reply();
}

MenuNode readNode(const QDBusArgument& arg) {
  MenuNode node;
  arg.beginStructure();
  arg >> node.id >> node.properties;
  arg.beginArray();
  while (!arg.atEnd()) {
    QDBusVariant child;
    arg >> child;
    node.children.push_back(readNode(child.variant().value<QDBusArgument>()));
  }
  arg.endArray();
  arg.endStructure();
  return node;
}

std::string shortcutText(const QVariant& value) {
  const QDBusArgument arg = value.value<QDBusArgument>();
  std::string text;
  arg.beginArray();
  while (!arg.atEnd()) {
    QStringList keys;
    arg >> keys;
    text += (text.empty() ? "" : ", ") + keys.join(QLatin1Char('+')).toStdString();
  }
  arg.endArray();
  return text;
}

std::string imageColour(const QImage& image) {
  if (image.isNull()) return "none";
  QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
  return colourName(c.red(), c.green(), c.blue());
}

// The label without its leading em spaces, and how many there were.
std::pair<std::string, int> splitIndent(const QString& label) {
  int n = 0;
  while (n < label.size() && label[n] == QChar(0x2003)) ++n;
  return {label.mid(n).toStdString(), n};
}

}  // namespace

QVariant PanelItem::property(const QString& name) const {
  QDBusMessage reply = call(service_, path_, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                            {QStringLiteral("org.kde.StatusNotifierItem"), name});
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
  return reply.arguments()[0].value<QDBusVariant>().variant();
}

std::string PanelItem::iconColour() const {
  const QDBusArgument pixmaps = property(QStringLiteral("IconPixmap")).value<QDBusArgument>();
  // The smallest picture: the size the monitor asked for.
  int bestWidth = 0, bestHeight = 0;
  QByteArray best;
  pixmaps.beginArray();
  while (!pixmaps.atEnd()) {
    int w = 0, h = 0;
    QByteArray data;
    pixmaps.beginStructure();
    pixmaps >> w >> h >> data;
    pixmaps.endStructure();
    if (best.isEmpty() || w < bestWidth) bestWidth = w, bestHeight = h, best = data;
  }
  pixmaps.endArray();
  if (best.size() < bestWidth * bestHeight * 4 || bestWidth == 0) return "none";
  // ARGB32 in network byte order.
  const int at = ((bestHeight / 2) * bestWidth + bestWidth / 2) * 4;
  auto byte = [&](int i) { return static_cast<unsigned>(static_cast<unsigned char>(best[at + i])); };
  return colourName(byte(1), byte(2), byte(3));
}

std::string PanelItem::toolTipTitle() const {
  // (icon name, pixmaps, title, text)
  const QDBusArgument tip = property(QStringLiteral("ToolTip")).value<QDBusArgument>();
  QString iconName, title, text;
  tip.beginStructure();
  tip >> iconName;
  tip.beginArray();
  while (!tip.atEnd()) {
    int w = 0, h = 0;
    QByteArray data;
    tip.beginStructure();
    tip >> w >> h >> data;
    tip.endStructure();
  }
  tip.endArray();
  tip >> title >> text;
  tip.endStructure();
  return title.toStdString();
}

MenuNode PanelItem::layout() const {
  const QString menuPath = property(QStringLiteral("Menu")).value<QDBusObjectPath>().path();
  if (menuPath.isEmpty()) return {};
  QDBusMessage reply = call(service_, menuPath, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("GetLayout"),
                            {0, -1, QStringList()});
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2) return {};
  return readNode(reply.arguments()[1].value<QDBusArgument>());
}

std::vector<std::string> PanelItem::menu() const { return dumpMenu(layout()); }

bool PanelItem::click(const std::string& label) const {
  const QString menuPath = property(QStringLiteral("Menu")).value<QDBusObjectPath>().path();
  for (const MenuNode& item : layout().children) {
    if (splitIndent(item.properties.value(QStringLiteral("label")).toString()).first != label) continue;
    QDBusMessage reply = call(service_, menuPath, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("Event"),
                              {item.id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(QVariant(0))), 0u});
    return reply.type() == QDBusMessage::ReplyMessage;
  }
  return false;
}

std::vector<std::string> dumpMenu(const MenuNode& menu) {
  std::vector<std::string> out;
  for (const MenuNode& item : menu.children) {
    const QVariantMap& p = item.properties;
    if (!p.value(QStringLiteral("visible"), true).toBool()) continue;
    if (p.value(QStringLiteral("type")).toString() == QLatin1String("separator")) {
      out.push_back("---");
      continue;
    }
    auto [label, indent] = splitIndent(p.value(QStringLiteral("label")).toString());
    std::string line = label;
    if (p.contains(QStringLiteral("shortcut"))) line += " [" + shortcutText(p.value(QStringLiteral("shortcut"))) + "]";
    if (!p.value(QStringLiteral("enabled"), true).toBool()) line += " (disabled)";
    if (indent) line += " indent=" + std::to_string(indent);
    if (p.contains(QStringLiteral("icon-data")))
      line += " icon=" + imageColour(QImage::fromData(p.value(QStringLiteral("icon-data")).toByteArray()));
    if (p.value(QStringLiteral("children-display")).toString() == QLatin1String("submenu")) {
      line += " {";
      std::vector<std::string> sub = dumpMenu(item);
      for (size_t s = 0; s < sub.size(); ++s) line += (s ? ", " : "") + sub[s];
      line += "}";
    }
    out.push_back(line);
  }
  return out;
}

void syncWithProcess(pid_t pid) {
  QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  const QStringList names = bus->registeredServiceNames().value();
  for (const QString& name : names) {
    if (!name.startsWith(QLatin1Char(':')) || bus->servicePid(name).value() != static_cast<uint>(pid)) continue;
    call(name, QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"), {});
  }
}

// --- Mail server and keyring --------------------------------------------------

SmtpSink::SmtpSink(const fs::path& folder, const std::string& user, const std::string& password) : folder_(folder) {
  fs::create_directories(folder);
  std::vector<std::string> argv{"/usr/bin/python3", (sourceDir() / "tests/tray/smtp_sink.py").string(),
                                folder.string()};
  if (!user.empty()) argv.insert(argv.end(), {user, password});
  const fs::path portFile = folder.parent_path() / (folder.filename().string() + ".port");
  server_.emplace(argv, std::map<std::string, std::string>{}, folder.parent_path() / "smtp.log", portFile);
  const std::string port = server_->firstLine(portFile);
  if (!port.empty()) port_ = std::stoi(port);
}

std::vector<std::string> SmtpSink::messages() const {
  std::vector<std::pair<int, fs::path>> files;
  static const std::regex name("message-([0-9]+)\\.eml");
  for (const auto& entry : fs::directory_iterator(folder_)) {
    std::smatch m;
    const std::string file = entry.path().filename().string();
    if (std::regex_match(file, m, name)) files.emplace_back(std::stoi(m[1]), entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<std::string> out;
  for (const auto& [n, path] : files) out.push_back(readFile(path));
  return out;
}

// --- Simulated machines -------------------------------------------------------

fs::path makeTrayMachine(const fs::path& scratch, const std::string& name, const std::string& devices,
                         const std::string& mounts, const std::string& drives) {
  const fs::path machine = testing_support::makeMachine(scratch, name, devices, mounts, drives);
  if (machine.empty()) return {};
  // A hard link or a copy: /proc/self/exe must name the machine's bundle.
  const fs::path built = buildDir() / "Tarvel Menu Item.app/Contents/MacOS/tarvel-menu-item";
  const fs::path macos = machine / "Contents/MacOS";
  std::error_code ec;
  fs::create_hard_link(built, macos / "tarvel-menu-item", ec);
  if (ec) fs::copy_file(built, macos / "tarvel-menu-item");
  std::ofstream(macos / "sendEmail") << "#!/bin/sh\n"
                                        "# Records its arguments, then hands them to the real sendEmail.\n"
                                        "dir=\"$(dirname \"$0\")/../..\"\n"
                                        "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$dir/mail-args-$$\"\n"
                                        "exec /usr/bin/sendEmail \"$@\"\n";
  fs::permissions(macos / "sendEmail", fs::perms::owner_all, fs::perm_options::add);
  return machine;
}

void attachDisk(const fs::path& machine, const std::string& devices, const std::string& mountLines,
                const std::string& device, const std::string& description) {
  fs::path file = sourceDir() / "resources/simulated-drives" / (description + ".drive");
  if (!fs::exists(file)) file = sourceDir() / "tests/drives" / (description + ".drive");
  const fs::path trace = machine / "Contents/MacOS/traces" / (fs::path(device).filename().string() + ".trdr");
  ASSERT_EQ(
      testing_support::runProcess({testing_support::fakedriveTool().string(), "-o", trace.string(), file.string()})
          .status,
      0);
  std::ofstream(machine / "listings/devices", std::ios::app) << devices;
  std::ofstream(machine / "listings/mounts", std::ios::app) << mountLines;
}

std::vector<std::vector<std::string>> mailToolCalls(const fs::path& machine) {
  std::vector<std::pair<fs::file_time_type, fs::path>> files;
  for (const auto& entry : fs::directory_iterator(machine))
    if (entry.path().filename().string().starts_with("mail-args-"))
      files.emplace_back(entry.last_write_time(), entry.path());
  std::sort(files.begin(), files.end());
  std::vector<std::vector<std::string>> calls;
  for (const auto& [time, path] : files) calls.push_back(testing_support::nulSeparated(path));
  return calls;
}

}  // namespace tray_test
