// Fakes of the desktop services and a fixture that runs the tray monitor's
// controller against them, with drives answered by a stand-in smartctl and
// a stand-in sendEmail that records its arguments.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "monitor/KRTarvelMenuItemController.h"
#include "monitor/RegisteredDefaults.h"
#include "tests/support/KRSMARTDriveTestAccess.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TestPlatform.h"

namespace monitor_test {

using namespace ::monitor;

namespace fs = std::filesystem;
using platform::PlistValue;

inline const char* actionName(MenuAction a) {
  switch (a) {
    case MenuAction::None: return "";
    case MenuAction::ScanForDrives: return "scanForDrives";
    case MenuAction::UpdateDrives: return "updateDrives";
    case MenuAction::LaunchTarvel: return "launchTarvel";
    case MenuAction::Quit: return "quit";
  }
  return "?";
}

// One line per item: title, then what differs from a plain enabled item.
inline std::vector<std::string> dumpMenu(const Menu& menu) {
  std::vector<std::string> out;
  for (int i = 0; i < menu.numberOfItems(); ++i) {
    const MenuItem& item = menu.itemAtIndex(i);
    if (item.isSeparatorItem()) {
      out.push_back("---");
      continue;
    }
    std::string line = item.title();
    if (item.action() != MenuAction::None) line += std::string(" ->") + actionName(item.action());
    if (!item.keyEquivalent().empty()) line += " [" + item.keyEquivalent() + "]";
    if (!menu.isItemEnabled(i)) line += " (disabled)";
    if (item.indentationLevel()) line += " indent=" + std::to_string(item.indentationLevel());
    if (item.image()) line += " icon=" + item.image()->resourceName + "@" + std::to_string(item.image()->size);
    if (item.hasSubmenu()) {
      line += " {";
      std::vector<std::string> sub = dumpMenu(item.submenu());
      for (size_t s = 0; s < sub.size(); ++s) line += (s ? ", " : "") + sub[s];
      line += "}";
    }
    out.push_back(line);
  }
  return out;
}

inline const std::vector<std::string> kBaseMenu = {
    "---", "---", "Rescan For Drives ->scanForDrives", "Update Drives ->updateDrives", "---",
    "Launch Tarvel ->launchTarvel", "Quit ->quit [q]"};

// The whole menu after a check that showed `rows` (two per drive).
inline std::vector<std::string> afterCheck(std::vector<std::string> rows) {
  rows.insert(rows.end(), {"---", "Last Updated: 1/2/25, 9:41 AM (disabled)"});
  rows.insert(rows.end(), kBaseMenu.begin() + 1, kBaseMenu.end());
  return rows;
}

class FakeStatusItem : public StatusItemView {
 public:
  void setImage(const std::string& name, int size) override { images.push_back({name, size}); }
  void setMenu(const Menu& m) override { menu = &m; }
  void menuDidChange() override { shownMenu = dumpMenu(*menu); }
  void setToolTip(const std::string& text) override { toolTip = text; }
  void setHighlightMode(bool on) override { highlight = on; }

  std::vector<MenuImage> images;
  const Menu* menu = nullptr;
  std::vector<std::string> shownMenu;  // the menu as of the last menuDidChange
  std::string toolTip;
  bool highlight = false;
};

class FakeTimers : public TimerService {
 public:
  struct Timer {
    double period;
    std::function<void()> tick;
  };
  Handle scheduleRepeating(double seconds, std::function<void()> tick) override {
    timers[next] = {seconds, std::move(tick)};
    return next++;
  }
  void invalidate(Handle h) override { timers.erase(h); }
  // The one running timer (tests fail when there are several).
  Timer& only() {
    EXPECT_EQ(timers.size(), 1u);
    return timers.begin()->second;
  }
  std::map<Handle, Timer> timers;
  Handle next = 1;
};

// Stands in for the drive scanner: a scan yields the prepared drives, and an
// update runs each drive's real update cycle (against the stand-in smartctl),
// then applies what the evaluation steps would have found.
class FakeScanner : public DriveSource {
 public:
  bool scanForDrives() override {
    ++scans;
    drives = nextScan;
    return scanSucceeds;
  }
  std::vector<KRSMARTDrive>& getDrives() override { return drives; }
  void updateDrives() override {
    ++updates;
    for (KRSMARTDrive& d : drives) {
      d.updateInfo();
      std::string at = d.driveLocation().value_or("");
      if (auto h = raisedHealth.find(at); h != raisedHealth.end()) KRSMARTDriveTestAccess::setHealth(d, h->second);
    }
  }

  bool scanSucceeds = true;
  std::vector<KRSMARTDrive> nextScan;
  std::vector<KRSMARTDrive> drives;
  std::map<std::string, int32_t> raisedHealth;
  int scans = 0;
  int updates = 0;
};

inline KRSMARTDrive makeDrive(const std::string& location, const std::vector<std::string>& volumes) {
  KRSMARTDrive d;
  d.setLocation(location);
  for (const auto& v : volumes) d.addPartitionName(v);
  return d;
}

class MonitorTest : public testing_support::PlatformTest {
 protected:
  MonitorTest() : fake(scratch.path()) {
    mem.platform.bundle.bundlePath = fake.bundlePath();
    platform::install(mem.platform);
    fs::create_directories(mem.platform.bundle.appSupportFolder);
    fs::create_directories(mem.platform.bundle.logsFolder);
    fake.defaultAnswer(testing_support::banner() + "=== START OF READ SMART DATA SECTION ===\n");
    fs::path tool = fs::path(fake.bundlePath()) / "Contents/MacOS/sendEmail";
    std::ofstream(tool) << "#!/bin/sh\n"
                           "dir=\"$(dirname \"$0\")/../..\"\n"
                           "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$dir/mail-$$.args\"\n"
                           "cat > \"$dir/mail-$$.input\"\n"
                           "cat \"$dir/sendEmail.out\" 2>/dev/null\n"
                           "exit $(cat \"$dir/sendEmail.status\" 2>/dev/null || echo 0)\n";
    fs::permissions(tool, fs::perms::owner_all, fs::perm_options::add);
    mailToolAnswers("Jan 02 09:41:00 testhost sendEmail[4242]: Email was sent successfully!\n");
    scanner = pendingScanner.get();
  }
  ~MonitorTest() override {
    joinMail();
    controller.reset();
  }

  MonitorServices services() {
    MonitorServices s;
    s.menuItemBundleIdentifier = "org.tarvel.menuitem";
    s.mainAppBundleIdentifier = "org.tarvel.main";
    s.registeredDefaults = registeredDefaults();
    s.registeredDefaults["EmailHostName"] = "testhost";  // the subject names it
    s.makeStatusItem = [this] {
      auto item = std::make_unique<FakeStatusItem>();
      statusItem = item.get();
      return item;
    };
    s.makeScanner = [this] { return std::move(pendingScanner); };
    s.distributedNotifications = distributed;
    s.notifier = notifier;
    s.timers = timers;
    s.launchApplication = [this](const std::string& name) {
      launched.push_back(name);
      return false;
    };
    s.terminateApplication = [this] { ++terminations; };
    s.shortDateTimeNow = [] { return std::string("1/2/25, 9:41 AM"); };
    s.detachThread = [this](std::function<void()> work) { mailThreads.emplace_back(std::move(work)); };
    s.passwordLookup = [this](const std::string& service, const std::string& account) -> std::optional<std::string> {
      auto it = keychain.find({service, account});
      if (it == keychain.end()) return std::nullopt;
      return it->second;
    };
    return s;
  }

  // awakeFromNib, then applicationDidFinishLaunching: the first scan and check.
  void start() {
    controller = std::make_unique<KRTarvelMenuItemController>(services());
    controller->awakeFromNib();
    controller->applicationDidFinishLaunching();
  }

  // The health smartctl -H reports: "PASSED" or "FAILED!"; never asked, the
  // answer has no verdict and the health is unknown.
  void answerHealth(const std::string& location, const std::string& verdict) {
    fake.answer({"-H", location}, testing_support::banner() +
                                      "=== START OF READ SMART DATA SECTION ===\n"
                                      "SMART overall-health self-assessment test result: " +
                                      verdict + "\n");
  }
  void answerUnsupported(const std::string& location) {
    const std::string text =
        testing_support::banner() + "Smartctl open device: " + location + " failed: Operation not supported\n";
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"-i"}, {"-H"}, {"-c"}, {"-A"}, {"-l", "error"}, {"-l", "selftest"}, {"-l", "selective"}}) {
      args.push_back(location);
      fake.answer(args, text);
    }
  }

  void mailToolAnswers(const std::string& output, int status = 0) {
    std::ofstream(fs::path(fake.bundlePath()) / "sendEmail.out") << output;
    std::ofstream(fs::path(fake.bundlePath()) / "sendEmail.status") << status;
  }
  void joinMail() {
    for (auto& t : mailThreads) t.join();
    mailThreads.clear();
  }
  // The argument lists sendEmail was started with.
  std::vector<std::vector<std::string>> mailCalls() {
    std::vector<std::vector<std::string>> calls;
    for (const auto& entry : fs::directory_iterator(fake.bundlePath()))
      if (entry.path().extension() == ".args") calls.push_back(testing_support::nulSeparated(entry.path()));
    return calls;
  }
  std::string driveListPath() const { return mem.platform.bundle.appSupportFolder + "/DrivesList.plist"; }
  std::vector<std::string> menu() const { return dumpMenu(controller->menu()); }

  testing_support::FakeSmartctl fake;
  std::shared_ptr<platform::memory::MemoryDistributedCenter> distributed =
      std::make_shared<platform::memory::MemoryDistributedCenter>();
  std::shared_ptr<platform::memory::MemoryNotifier> notifier = std::make_shared<platform::memory::MemoryNotifier>();
  std::shared_ptr<FakeTimers> timers = std::make_shared<FakeTimers>();
  std::unique_ptr<FakeScanner> pendingScanner = std::make_unique<FakeScanner>();
  FakeScanner* scanner = nullptr;
  FakeStatusItem* statusItem = nullptr;
  std::vector<std::string> launched;
  int terminations = 0;
  std::map<std::pair<std::string, std::string>, std::string> keychain;
  std::vector<std::thread> mailThreads;
  std::unique_ptr<KRTarvelMenuItemController> controller;
};

}  // namespace monitor_test
