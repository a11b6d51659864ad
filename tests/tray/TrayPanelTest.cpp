// The tray program as a user meets it: run from a simulated machine's
// bundle on an X server, shown and driven by a panel over D-Bus
// (StatusNotifierItem and dbusmenu), posting to a notification daemon,
// writing the drive list file, mailing through sendEmail with a password
// from the keyring, and steered by `tarvel notify` from other processes.
#include <gtest/gtest.h>

#include <signal.h>

#include <QtCore/QCoreApplication>
#include <QtCore/QThread>

#include "platform/desktop/DBusDistributedCenter.h"
#include "tests/support/CapturingDaemon.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TestPlatform.h"
#include "tests/tray/PanelHarness.h"

namespace tray_test {
namespace {

using testing_support::readFile;

const std::string kMounts = "Filesystem     1K-blocks      Used Available Use% Mounted on\n";
const std::string kRoot = kMounts + "/dev/sda1 490617784 12345678 453271234 3% /\n";

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class TrayPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(testing_support::buildDir() / "tools/fakedrive/tarvel-fakedrive"))
        << "tarvel-fakedrive is not built";
    ASSERT_TRUE(daemon.ok);
    xvfb.emplace(scratch.path());
    ASSERT_FALSE(xvfb->display().empty()) << readFile(scratch.path() / "xvfb.log");
    for (const char* dir : {"home/.config", "home/.local/share", "home/.local/state", "runtime", "share", "bin"})
      fs::create_directories(scratch.path() / dir);
    fs::permissions(scratch.path() / "runtime", fs::perms::owner_all);
    bus = platform::desktop::makeDBusDistributedCenter(nullptr);
    bus->addObserver("org.tarvel.TarvelMenuItem",
                     [this](const std::string&, const std::string& object) { unloads.push_back(object); });
    bus->addObserver("TRPrefsChanged", [this](const std::string&, const std::string&) { ++prefsChanged; });
  }

  void TearDown() override {
    if (tray) tray->stop();
  }

  // What the program gets from a desktop session, all of it inside the
  // scratch folder: no system applications, preferences or keyring.
  std::map<std::string, std::string> environment() const {
    const fs::path home = scratch.path() / "home";
    return {{"DISPLAY", xvfb->display()},
            {"QT_QPA_PLATFORM", "xcb"},
            {"HOME", home.string()},
            {"XDG_CONFIG_HOME", (home / ".config").string()},
            {"XDG_DATA_HOME", (home / ".local/share").string()},
            {"XDG_STATE_HOME", (home / ".local/state").string()},
            {"XDG_RUNTIME_DIR", (scratch.path() / "runtime").string()},
            {"XDG_DATA_DIRS", (scratch.path() / "share").string()},
            {"PATH", (scratch.path() / "bin").string() + ":/usr/bin:/bin"},
            {"LANG", "C.UTF-8"},
            {"LC_ALL", ""},
            {"LANGUAGE", ""},
            {"XDG_CURRENT_DESKTOP", ""},
            {"DESKTOP_SESSION", ""},
            {"QT_QPA_PLATFORMTHEME", ""}};
  }

  void makeMachine(const std::string& name, const std::string& devices, const std::string& mounts,
                   const std::string& drives) {
    machine = makeTrayMachine(scratch.path(), name, devices, mounts, drives);
    ASSERT_FALSE(machine.empty());
  }

  // The program ended by itself with status 0, saying goodbye on the bus.
  void expectCleanExit() {
    ASSERT_TRUE(spinUntil([&] { return !tray->running(); })) << tray->output();
    EXPECT_EQ(tray->exitStatus(), 0) << tray->output();
    ASSERT_TRUE(spinUntil([&] { return !unloads.empty(); }));
  }

  // Starts the machine's tray program. With a panel, returns once the
  // program has shown its item there and finished its first check.
  void startTray(bool withPanel = true) {
    if (withPanel && !watcher) {
      watcher.emplace();
      ASSERT_TRUE(watcher->ok);
    }
    const fs::path program = machine / "Contents/MacOS/tarvel-menu-item";
    tray.emplace(std::vector<std::string>{program.string(), "--verbose", "--listings", (machine / "listings").string()},
                 environment(), scratch.path() / "tray.log");
    if (!withPanel) return;
    ASSERT_TRUE(spinUntil([&] { return !watcher->items.empty() || !tray->running(); })) << tray->output();
    ASSERT_TRUE(tray->running()) << tray->output();
    panel.emplace(watcher->items.back().service, watcher->items.back().path);
    ASSERT_TRUE(waitForMenu([](const std::vector<std::string>& m) {
      return std::any_of(m.begin(), m.end(), [](const std::string& l) { return l.starts_with("Last Updated: "); });
    })) << tray->output();
  }

  bool waitForMenu(const std::function<bool(const std::vector<std::string>&)>& wanted) {
    return spinUntil([&] { return wanted(panel->menu()); });
  }

  // The machine's own `tarvel` with the program's environment.
  testing_support::ProcessResult tarvel(const std::vector<std::string>& args) {
    std::vector<std::string> argv{(machine / "Contents/MacOS/tarvel").string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return testing_support::runProcess(argv, "", environment());
  }

  void setPreference(const std::string& domain, const std::string& key, const std::string& type,
                     const std::string& value) {
    auto r = tarvel({"defaults", "write", domain, key, type, value});
    ASSERT_EQ(r.status, 0) << r.err;
  }

  // The notifications received, one line each: name|title|body|timeout|urgency.
  std::vector<std::string> notifications() const {
    std::vector<std::string> out;
    for (const auto& n : daemon.received)
      out.push_back((n.hints.value("x-tarvel-name").toString() + "|" + n.summary + "|" + n.body + "|" +
                     QString::number(n.timeout) + "|" + QString::number(n.hints.value("urgency").toInt()))
                        .toStdString());
    return out;
  }

  // The drive list file as Python's plistlib reads it.
  std::vector<std::string> driveList() const {
    const fs::path file = scratch.path() / "home/.local/share/Tarvel/DrivesList.plist";
    auto r = testing_support::runProcess(
        {"/usr/bin/python3", "-c",
         "import plistlib, sys\n"
         "d = plistlib.load(open(sys.argv[1], 'rb'))\n"
         "print('keys ' + ', '.join(sorted(d)))\n"
         "print('CheckTime ' + d['CheckTime'])\n"
         "print('TRProblemDrivesCount %r' % d['TRProblemDrivesCount'])\n"
         "for r in d.get('TRProblemDrives', []):\n"
         "    print(' | '.join(r[k] for k in ('DriveHealth', 'DriveNames', 'DriveModel', 'DriveSN')) + ' | ' +\n"
         "          ('size' if r['DriveSize'] else 'no size'))\n",
         file.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = r.out.find('\n', at)) != std::string::npos; at = end + 1)
      lines.push_back(r.out.substr(at, end - at));
    return lines;
  }

  // The panel's menu after a check that showed `rows`.
  std::vector<std::string> afterCheck(std::vector<std::string> rows) const {
    rows.insert(rows.end(), {"---", "Last Updated: " + lastUpdated() + " (disabled)", "---", "Rescan For Drives",
                             "Update Drives", "---", "Launch Tarvel", "Quit [Control+Q]"});
    return rows;
  }

  std::string lastUpdated() const {
    for (const std::string& line : panel->menu())
      if (line.starts_with("Last Updated: ")) return line.substr(14, line.find(" (disabled)") - 14);
    return "";
  }

  testing_support::ScratchDir scratch;
  CapturingDaemon daemon;
  std::optional<Xvfb> xvfb;
  std::optional<StatusNotifierWatcher> watcher;
  std::unique_ptr<platform::DistributedNotificationCenter> bus;
  std::vector<std::string> unloads;
  int prefsChanged = 0;
  fs::path machine;
  std::optional<Child> tray;
  std::optional<PanelItem> panel;
};

TEST_F(TrayPanelTest, PanelShowsEveryDriveWithItsStateAndTheWorstColour) {
  ASSERT_NO_FATAL_FAILURE(makeMachine("mixed", "sda\nsda1\nsda2\nsdb\nsdb1\nsdc\nsdc1\nsdd\n",
                                      kMounts + "/dev/sda2  490617784 12345678 453271234   3% /\n"
                                                "/dev/sda1     523248     5364    517884   2% /boot/efi\n"
                                                "/dev/sdb1 3844640564 12000000 3529328204  4% /media/alice/Photos\n"
                                                "/dev/sdc1 1844640564 12000000 1529328204  4% /mnt/Backup\n",
                                      "/dev/sda healthy-hdd\n/dev/sdb failing-reallocated\n/dev/sdc failed-health\n"
                                      "/dev/sdd smart-disabled\n"));
  ASSERT_NO_FATAL_FAILURE(startTray());

  const std::string checked = lastUpdated();
  EXPECT_FALSE(checked.empty());
  EXPECT_EQ(panel->menu(), afterCheck({
                               "sdd icon=green {}",
                               "Overall Status: Passed (disabled) indent=3",
                               "Backup icon=red",
                               "Overall Status: FAILED! (disabled) indent=3",
                               "Photos icon=yellow",
                               "Overall Status: FAILING! (disabled) indent=3",
                               "sda icon=green {/ (disabled), /boot/efi (disabled)}",
                               "Overall Status: Passed (disabled) indent=3",
                           }));
  EXPECT_EQ(panel->iconColour(), "red");
  EXPECT_EQ(panel->toolTipTitle(), "Tarvel");
  EXPECT_EQ(panel->property("Status").toString(), "Active");

  ASSERT_TRUE(spinUntil([&] { return daemon.received.size() == 4; })) << notifications().size();
  EXPECT_EQ(notifications(),
            (std::vector<std::string>{
                "DriveFailing|Drive Passed|The drive sda with partitions /, and /boot/efi passed.|-1|1",
                "DriveFailing|CAUTION: DRIVE FAILING!|The drive Photos is failing. It is recommended to backup all "
                "files and replace drive.|0|2",
                "DriveFailed|WARNING: DRIVE FAILED!|The drive Backup has failed.It is highly recommended to backup "
                "all files and replace drive.|0|2",
                "DriveFailing|Drive Passed|The drive sdd with partitions  passed.|-1|1",
            }));
  for (const auto& n : daemon.received) EXPECT_EQ(n.app, "Tarvel");
  EXPECT_TRUE(daemon.received[2].hints.contains("image-data"));

  EXPECT_EQ(driveList(), (std::vector<std::string>{
                             "keys CheckTime, TRProblemDrives, TRProblemDrivesCount",
                             "CheckTime " + checked,
                             "TRProblemDrivesCount 2",
                             "FAILING | Photos | ST4000DM006-2G5107 | ZFN1X7QK | size",
                             "FAILED | Backup | HGST HUS724020ALA640 | PN2134P6GZ8YBX | size",
                         }));
  EXPECT_TRUE(mailToolCalls(machine).empty()) << "no e-mail with the default preferences";
}

TEST_F(TrayPanelTest, UpdateRescanLaunchAndQuitFromThePanel) {
  ASSERT_NO_FATAL_FAILURE(makeMachine("growing", "sda\nsda1\n", kRoot, "/dev/sda healthy-ssd\n"));
  scratch.write("launched/.keep", "");
  scratch.write("share/applications/tarvel.desktop",
                "[Desktop Entry]\nType=Application\nName=Tarvel\nExec=" + (scratch.path() / "bin/main-app").string() +
                    " --from-menu %U\n");
  scratch.write("bin/main-app", "#!/bin/sh\necho \"$@\" > '" + (scratch.path() / "launched/args").string() + "'\n",
                true);
  ASSERT_NO_FATAL_FAILURE(startTray());
  const std::vector<std::string> before = panel->menu();
  ASSERT_EQ(before[0], "/ icon=green");
  ASSERT_TRUE(spinUntil([&] { return daemon.received.size() == 1; }));

  // A disk attached after the scan: a check does not see it, a rescan does.
  attachDisk(machine, "sdb\nsdb1\n", "/dev/sdb1 3844640564 12000000 3529328204 4% /media/alice/New Disk\n", "/dev/sdb",
             "failed-health");
  ASSERT_TRUE(panel->click("Update Drives"));
  ASSERT_TRUE(spinUntil([&] { return daemon.received.size() == 2; }));
  EXPECT_EQ(panel->menu()[0], "/ icon=green");
  EXPECT_EQ(panel->menu().size(), before.size()) << "no row added or repeated";
  EXPECT_EQ(panel->iconColour(), "green");

  ASSERT_TRUE(panel->click("Rescan For Drives"));
  ASSERT_TRUE(waitForMenu([](const std::vector<std::string>& m) { return m[0] == "New Disk icon=red"; }))
      << tray->output();
  EXPECT_EQ(panel->menu()[2], "/ icon=green");
  EXPECT_EQ(panel->iconColour(), "red");

  ASSERT_TRUE(panel->click("Launch Tarvel"));
  // The shell creates the file before it writes to it.
  EXPECT_TRUE(spinUntil([&] { return readFile(scratch.path() / "launched/args") == "--from-menu\n"; }))
      << readFile(scratch.path() / "launched/args");

  ASSERT_TRUE(panel->click("Quit"));
  ASSERT_NO_FATAL_FAILURE(expectCleanExit());
  EXPECT_EQ(unloads, std::vector<std::string>{"tarvelMenuItemUnload"});
}

TEST_F(TrayPanelTest, OtherProcessesChangePreferencesAndQuit) {
  ASSERT_NO_FATAL_FAILURE(makeMachine("steered", "sda\nsda1\nsdb\nsdb1\n",
                                      kRoot + "/dev/sdb1 3844640564 12000000 3529328204 4% /mnt/Old\n",
                                      "/dev/sda healthy-hdd\n/dev/sdb failing-reallocated\n"));
  ASSERT_NO_FATAL_FAILURE(startTray());
  ASSERT_TRUE(spinUntil([&] { return daemon.received.size() == 2; }));
  EXPECT_EQ(panel->iconColour(), "yellow");

  // Set in the main application's domain, which the monitor reads as a
  // suite, and announced as the main application does.
  setPreference("org.tarvel.Tarvel", "GrowlDrivePassed", "-bool", "NO");
  auto r = tarvel({"notify", "TRPrefsChanged"});
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(spinUntil([&] { return prefsChanged == 1; }));
  syncWithProcess(tray->pid());
  ASSERT_TRUE(panel->click("Update Drives"));
  // The failing drive comes after the passing one: once its notification
  // is in, a passed one of the same check would be too.
  ASSERT_TRUE(spinUntil([&] { return daemon.received.size() >= 3; }));
  syncWithProcess(tray->pid());
  QCoreApplication::processEvents();
  const std::vector<std::string> all = notifications();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_TRUE(all[2].starts_with("DriveFailing|CAUTION: DRIVE FAILING!|The drive Old is failing.")) << all[2];

  // The monitor's own domain wins over the main application's.
  setPreference("org.tarvel.TarvelMenuItem", "GrowlDrivePassed", "-bool", "YES");
  ASSERT_EQ(tarvel({"notify", "TRPrefsChanged"}).status, 0);
  ASSERT_TRUE(spinUntil([&] { return prefsChanged == 2; }));
  syncWithProcess(tray->pid());
  ASSERT_TRUE(panel->click("Update Drives"));
  ASSERT_TRUE(spinUntil([&] { return daemon.received.size() >= 5; }));
  EXPECT_TRUE(notifications()[3].starts_with("DriveFailing|Drive Passed|The drive / passed.")) << notifications()[3];

  r = tarvel({"notify", "TRQuit"});
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_NO_FATAL_FAILURE(expectCleanExit());
  EXPECT_EQ(unloads, std::vector<std::string>{"tarvelMenuItemUnload"});
}

TEST_F(TrayPanelTest, ReportIsMailedWithThePasswordFromTheKeyring) {
  Keyring keyring(scratch.path());
  ASSERT_TRUE(keyring.ok());
  ASSERT_TRUE(
      Keyring::store("Tarvel (SMTP)", "s3cret pass", {"service", "Tarvel (SMTP): monitor", "account", "monitor"}));
  SmtpSink sink(scratch.path() / "mail", "monitor", "s3cret pass");
  ASSERT_GT(sink.port(), 0) << readFile(scratch.path() / "smtp.log");

  ASSERT_NO_FATAL_FAILURE(makeMachine("mailing", "sda\nsda1\nsdb\nsdb1\n",
                                      kRoot + "/dev/sdb1 3844640564 12000000 3529328204 4% /media/bob/Archive\n",
                                      "/dev/sda healthy-hdd\n/dev/sdb failed-health\n"));
  for (const auto& [key, type, value] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"EmailDriveFailed", "-bool", "YES"},
           {"EmailDrivePassed", "-bool", "YES"},
           {"EmailHostName", "-string", "workstation"},
           {"EmailFromAddress", "-string", "tarvel@workstation.test"},
           {"EmailToAddress", "-string", "admin@example.test"},
           {"EmailSMTPAddress", "-string", "127.0.0.1"},
           {"EmailCustomPort", "-string", std::to_string(sink.port())},
           {"EmailAuthenticationType", "-int", "1"},
           {"EmailUsername", "-string", "monitor"}})
    setPreference("org.tarvel.Tarvel", key, type, value);
  ASSERT_NO_FATAL_FAILURE(startTray());

  ASSERT_TRUE(spinUntil([&] { return !sink.messages().empty(); }))
      << tray->output() << readFile(scratch.path() / "smtp.log");
  const std::string mail = sink.messages()[0];
  EXPECT_TRUE(has(mail, "X-Sink-Login: monitor\n")) << mail;
  EXPECT_TRUE(has(mail, "X-Sink-From: tarvel@workstation.test\nX-Sink-To: admin@example.test\n")) << mail;
  EXPECT_TRUE(has(mail, "\nSubject: Tarvel Menu Item Report (workstation): FAILED DRIVES!\n")) << mail;
  EXPECT_TRUE(has(mail, "\n/: PASSED\nArchive: FAILED\n")) << mail;

  const auto calls = mailToolCalls(machine);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], (std::vector<std::string>{"-f", "tarvel@workstation.test", "-t", "admin@example.test", "-u",
                                                "Tarvel Menu Item Report (workstation): FAILED DRIVES!", "-m",
                                                "/: PASSED\nArchive: FAILED\n", "-s",
                                                "127.0.0.1:" + std::to_string(sink.port()), "-xu", "monitor"}));
  EXPECT_TRUE(spinUntil([&] { return has(tray->output(), "E-mail report sent."); })) << tray->output();
}

TEST_F(TrayPanelTest, DisksClosedToSmartctlAreExplainedAtTheTopOfTheMenu) {
  ASSERT_NO_FATAL_FAILURE(makeMachine("closed", "sda\nsda1\nnvme0n1\n", kRoot,
                                      "/dev/sda !Permission denied\n/dev/nvme0n1 !Permission denied\n"));
  ASSERT_NO_FATAL_FAILURE(startTray());
  EXPECT_EQ(panel->menu(), afterCheck({"Cannot read sda, nvme0n1: smartctl was denied access (disabled)",
                                       "Install Tarvel with: sudo cmake --install build (disabled)"}));
  EXPECT_EQ(panel->iconColour(), "green");
  EXPECT_TRUE(has(tray->output(),
                  "smartctl was not allowed to open the drive: /dev/sda: Smartctl open device: "
                  "/dev/sda failed: Permission denied; /dev/nvme0n1: "))
      << tray->output();
  EXPECT_EQ(driveList()[2], "TRProblemDrivesCount 0");

  // One monitor per session.
  Child second({(machine / "Contents/MacOS/tarvel-menu-item").string()}, environment(), scratch.path() / "second.log");
  ASSERT_TRUE(spinUntil([&] { return !second.running(); }));
  EXPECT_EQ(second.exitStatus(), 0);
  EXPECT_TRUE(has(second.output(), "already running")) << second.output();
  EXPECT_EQ(watcher->items.size(), 1u);

  // "Launch Tarvel" with no main application anywhere is silent.
  ASSERT_TRUE(panel->click("Launch Tarvel"));
  syncWithProcess(tray->pid());
  EXPECT_TRUE(tray->running());
}

TEST_F(TrayPanelTest, WithoutAPanelTheMonitorSaysSoAndKeepsChecking) {
  ASSERT_NO_FATAL_FAILURE(makeMachine("headless", "sda\nsda1\n", kRoot, "/dev/sda healthy-hdd\n"));
  ASSERT_NO_FATAL_FAILURE(startTray(false));
  ASSERT_TRUE(spinUntil([&] { return daemon.received.size() == 1 || !tray->running(); })) << tray->output();
  EXPECT_TRUE(has(tray->output(), "No system tray is available yet")) << tray->output();
  EXPECT_EQ(driveList()[2], "TRProblemDrivesCount 0");

  // Ended the way a session ends it.
  ::kill(tray->pid(), SIGTERM);
  ASSERT_NO_FATAL_FAILURE(expectCleanExit());
}

// A disk whose smartctl never answers (it sleeps for an hour): while the
// check waits for it, the panel reads the menu and the monitor quits when
// told, by its menu, by another process or by the session, killing what
// the check had started.
TEST_F(TrayPanelTest, HungDiskNeitherFreezesThePanelNorHoldsUpQuitting) {
  ASSERT_NO_FATAL_FAILURE(makeMachine("dying", "sda\nsda1\nsdb\nsdc\n", kRoot,
                                      "/dev/sda healthy-hdd\n/dev/sdb ?hang\n/dev/sdc healthy-ssd\n"));
  setPreference("org.tarvel.Tarvel", "SmartctlTimeout", "-int", "3600");
  const fs::path hungPids = machine / "Contents/MacOS/hung.pids";
  watcher.emplace();
  ASSERT_TRUE(watcher->ok);

  for (const std::string way : {"menu", "TRQuit", "SIGTERM"}) {
    SCOPED_TRACE(way);
    const size_t items = watcher->items.size(), hungBefore = testing_support::pidsInFile(hungPids).size();
    unloads.clear();
    ASSERT_NO_FATAL_FAILURE(startTray(false));
    ASSERT_TRUE(spinUntil([&] { return watcher->items.size() > items || !tray->running(); })) << tray->output();
    panel.emplace(watcher->items.back().service, watcher->items.back().path);
    // The check is under way once smartctl hangs on sdb.
    ASSERT_TRUE(spinUntil([&] { return testing_support::pidsInFile(hungPids).size() >= hungBefore + 2; }))
        << tray->output();
    const std::vector<std::string> menu = panel->menu();
    EXPECT_NE(std::find(menu.begin(), menu.end(), "Update Drives"), menu.end());
    EXPECT_EQ(menu.back(), "Quit [Control+Q]");

    if (way == "menu") {
      ASSERT_TRUE(panel->click("Quit"));
    }
    if (way == "TRQuit") {
      ASSERT_EQ(tarvel({"notify", "TRQuit"}).status, 0);
    }
    if (way == "SIGTERM") ::kill(tray->pid(), SIGTERM);
    ASSERT_NO_FATAL_FAILURE(expectCleanExit());
    for (pid_t pid : testing_support::pidsInFile(hungPids)) EXPECT_TRUE(testing_support::processEnded(pid)) << pid;
  }
}

// With a short "SmartctlTimeout" the check ends: the disk that does not
// answer is listed, unknown with the reason, the icon warns, and the
// notification says so.
TEST_F(TrayPanelTest, HungDiskIsListedUnknownWithTheReason) {
  ASSERT_NO_FATAL_FAILURE(makeMachine("dying", "sda\nsda1\nsdb\nsdc\n", kRoot,
                                      "/dev/sda healthy-hdd\n/dev/sdb ?hang\n/dev/sdc healthy-ssd\n"));
  setPreference("org.tarvel.Tarvel", "SmartctlTimeout", "-int", "2");
  ASSERT_NO_FATAL_FAILURE(startTray());
  EXPECT_EQ(panel->menu(),
            afterCheck({"sdc icon=green {}", "Overall Status: Passed (disabled) indent=3", "sdb icon=yellow {}",
                        "Overall Status: UNKNOWN (smartctl did not answer within 2 seconds) (disabled) indent=3",
                        "/ icon=green", "Overall Status: Passed (disabled) indent=3"}));

  EXPECT_EQ(panel->iconColour(), "yellow");
  ASSERT_TRUE(spinUntil([&] { return daemon.received.size() == 3; })) << notifications().size();
  EXPECT_EQ(notifications()[1],
            "DriveFailing|CAUTION: DRIVE NOT ANSWERING!|The drive sdb with partitions  is UNKNOWN: smartctl did not "
            "answer within 2 seconds. A drive that stops answering may be failing; it is recommended to backup all "
            "files.|0|2");
  EXPECT_EQ(driveList()[2], "TRProblemDrivesCount 0");
  EXPECT_TRUE(has(tray->output(), "smartctl did not answer within 2 seconds on /dev/sdb")) << tray->output();
  for (pid_t pid : testing_support::pidsInFile(machine / "Contents/MacOS/hung.pids"))
    EXPECT_TRUE(testing_support::processEnded(pid)) << pid;
}

}  // namespace
}  // namespace tray_test
