// The built `tarvel` on simulated machines: prepared listings, and a
// smartctl that replays fake-drive traces through the real smartctl.
#include <fstream>
#include <sstream>

#include "tests/support/SimulatedMachine.h"
#include "tests/support/TestPlatform.h"

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::ScratchDir;
using Result = testing_support::ProcessResult;

namespace {

const char* kLinuxHeader = "Filesystem     1K-blocks      Used Available Use% Mounted on\n";

class TarvelCommand : public ::testing::Test {
 protected:
  fs::path machine(const std::string& name, const std::string& devices, const std::string& mounts,
                   const std::string& drives) {
    return testing_support::makeMachine(scratch.path(), name, devices, mounts, drives);
  }

  // Runs the machine's tarvel on its own listings, with a scratch home.
  Result tarvel(const fs::path& bundle, const std::vector<std::string>& args, bool scan = true) {
    fs::create_directories(home());
    std::vector<std::string> argv{(bundle / "Contents/MacOS/tarvel").string()};
    if (scan) argv.insert(argv.end(), {"--listings", (bundle / "listings").string()});
    argv.insert(argv.end(), args.begin(), args.end());
    return testing_support::runProcess(argv, "",
                                       {{"HOME", home().string()},
                                        {"XDG_STATE_HOME", ""},
                                        {"XDG_DATA_HOME", ""},
                                        {"XDG_CONFIG_HOME", ""},
                                        {"LANG", "C"},
                                        {"LANGUAGE", ""}});
  }

  // The state lines and reasons, without the details named drives show
  // (lines indented by two spaces).
  static std::string summary(const std::string& out) {
    std::string kept, line;
    std::istringstream in(out);
    while (std::getline(in, line))
      if (!(line.size() > 2 && line.compare(0, 2, "  ") == 0 && line[2] != ' ')) kept += line + "\n";
    return kept;
  }

  // Whether text is one valid JSON document, as Python's reader sees it.
  static bool validJson(const std::string& text) {
    return testing_support::runProcess({"/usr/bin/python3", "-m", "json.tool"}, text).status == 0;
  }

  fs::path home() const { return scratch.path() / "home"; }

  ScratchDir scratch;
};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST_F(TarvelCommand, DisksSmartctlCannotOpenGiveUnknownWithAHint) {
  fs::path m = machine("closed", "sda\nsda1\nsdb\n", std::string(kLinuxHeader) + "/dev/sda1 100 10 90 10% /\n",
                       "/dev/sda !Permission denied\n");
  Result r = tarvel(m, {});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(has(r.err, "no drive with SMART support found; 2 drives without it left out")) << r.err;
  EXPECT_TRUE(has(r.err, "/dev/sda: Smartctl open device: /dev/sda failed: Permission denied")) << r.err;
  EXPECT_TRUE(has(r.err, "sudo cmake --install build")) << r.err;

  // Named on the command line, a drive stays and says why it is unknown.
  r = tarvel(m, {"/dev/sdb", "/dev/sda"}, false);
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(summary(r.out),
            "sdb with partitions : UNKNOWN\n    Smartctl open device: /dev/sdb failed: No such device\n"
            "sda with partitions : UNKNOWN\n    Smartctl open device: /dev/sda failed: Permission denied\n");

  r = tarvel(m, {"--json", "/dev/sdb"}, false);
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(validJson(r.out)) << r.out;
  EXPECT_TRUE(has(r.out, "\"state\": \"UNKNOWN\"")) << r.out;
  EXPECT_TRUE(has(r.out, "\"summary\": \"UNKNOWN\"")) << r.out;
}

TEST_F(TarvelCommand, SetupProblemsAreNamedAndExitUnknown) {
  fs::path m = machine("plain", "sda\n", kLinuxHeader, "");
  struct Case {
    const char* name;
    std::vector<std::string> args;
    bool scan;
    const char* message;
  };
  const Case cases[] = {
      {"listings missing", {"--listings", (scratch.path() / "nowhere").string()}, false, "could not list the drives"},
      {"replay file missing", {"--replay", "/nonexistent/sda.trdr"}, false, "cannot read /nonexistent/sda.trdr: No such file or directory"},
      {"replay of a folder", {"--replay", "/tmp"}, false, "/tmp: is a folder"},
      {"wrong option", {"--frobnicate"}, false, "unknown option --frobnicate"},
      {"not a device", {"sda"}, false, "sda: no such raw-data file or device"},
      {"self-test without drive", {"--short-test"}, false, "needs a DEVICE or a raw-data FILE"},
  };
  for (const auto& c : cases) {
    Result r = tarvel(m, c.args, c.scan);
    EXPECT_EQ(r.status, 3) << c.name;
    EXPECT_TRUE(has(r.err, c.message)) << c.name << ": " << r.err;
  }

  Result json = tarvel(m, {"--json", "--listings", (scratch.path() / "nowhere").string()}, false);
  EXPECT_EQ(json.status, 3);
  EXPECT_TRUE(validJson(json.out)) << json.out;
  EXPECT_TRUE(has(json.out, "could not list the drives")) << json.out;

  Result none = tarvel(machine("empty", "tty0\n", kLinuxHeader, ""), {});
  EXPECT_EQ(none.status, 3);
  EXPECT_TRUE(has(none.err, "tarvel: no drive found")) << none.err;
}

TEST_F(TarvelCommand, MissingSmartctlIsReportedBeforeAnyCheck) {
  fs::path m = machine("nosmartctl", "sda\n", kLinuxHeader, "");
  fs::path smartctl = m / "Contents/MacOS/smartctl";
  fs::remove(smartctl);
  Result r = tarvel(m, {});
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(has(r.err, "smartctl is missing: there is no " + smartctl.string())) << r.err;

  fs::create_symlink("/nonexistent/smartctl", smartctl);
  r = tarvel(m, {"--smartctl-version"});
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(has(r.err, "points to /nonexistent/smartctl, which does not exist. Install smartmontools")) << r.err;
}

TEST_F(TarvelCommand, HelpVersionAndSmartctlVersion) {
  fs::path m = machine("info", "sda\n", kLinuxHeader, "");
  Result help = tarvel(m, {"--help"}, false);
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: tarvel")) << help.out;
  Result version = tarvel(m, {"--version"}, false);
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.out.starts_with("tarvel ")) << version.out;
  // The machine's smartctl hands -V to the real one.
  Result smartctl = tarvel(m, {"--smartctl-version"}, false);
  EXPECT_EQ(smartctl.status, 0) << smartctl.err;
  ASSERT_FALSE(smartctl.out.empty());
  EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(smartctl.out[0]))) << smartctl.out;
}

namespace {

const char* kLinuxMachineDevices = "loop0\nnvme0\nnvme0n1\nnvme0n1p1\nsda\nsda1\nsda2\nsdb\nsdb1\nsdc\nsr0\ntty0\n";
const char* kLinuxMachineMounts =
    "Filesystem      1K-blocks      Used  Available Use% Mounted on\n"
    "udev              8123456         0    8123456   0% /dev\n"
    "/dev/sda2       490617784  12345678  453271234   3% /\n"
    "tmpfs             8134988         0    8134988   0% /dev/shm\n"
    "/dev/sda1          523248      5364     517884   2% /boot/efi\n"
    "/dev/sdb1      3844640564 120000000 3529328204   4% /media/alice/Backup Disk\n"
    "/dev/nvme0n1p1  976284644 300000000  626669180  33% /run/media/bob/USB STICK\n"
    "/dev/loop0          56832     56832          0 100% /snap/core18/2128\n";

}  // namespace

TEST_F(TarvelCommand, ChecksEveryDiskOfAMachine) {
  fs::path m = machine("linux", kLinuxMachineDevices, kLinuxMachineMounts,
                       "/dev/sda healthy-hdd\n/dev/sdb failed-health\n/dev/nvme0n1 healthy-ssd\n");
  Result r = tarvel(m, {});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_TRUE(r.out.starts_with("USB STICK: PASSED\n")) << r.out;
  EXPECT_TRUE(has(r.out, "\nsda with partitions /, and /boot/efi: PASSED\n")) << r.out;
  EXPECT_TRUE(has(r.out, "\nBackup Disk: FAILED\n")) << r.out;
  EXPECT_FALSE(has(r.out, "sdc")) << "a disk smartctl cannot open is left out: " << r.out;
  EXPECT_EQ(r.err, "");

  Result json = tarvel(m, {"--json"});
  EXPECT_EQ(json.status, 2);
  ASSERT_TRUE(validJson(json.out)) << json.out;
  for (const char* part : {"\"summary\": \"CRITICAL\"", "\"title\": \"Backup Disk\"", "\"location\": \"/dev/sdb\"",
                           "\"state\": \"FAILED\"", "\"overallHealth\": \"FAILED!\"", "\"partitions\": [\n        \"/\",\n        \"/boot/efi\"\n      ]"})
    EXPECT_TRUE(has(json.out, part)) << part;

  // Each check of a real disk saved its raw data; replayed, it is the same drive.
  fs::path saved = home() / ".local/state/Tarvel/sdb.trdr";
  ASSERT_TRUE(fs::exists(saved));
  Result replay = tarvel(m, {saved.string(), "--replay", (home() / ".local/state/Tarvel/sda.trdr").string()}, false);
  EXPECT_EQ(replay.status, 2);
  EXPECT_TRUE(has(replay.out, "\n  Model: HGST HUS724020ALA640\n  Serial number: ")) << replay.out;
  EXPECT_TRUE(has(replay.out, "\n  Overall health: FAILED!\n")) << replay.out;
  EXPECT_EQ(summary(replay.out), "sdb.trdr with partitions : FAILED\n    Reallocated bad sector status is failed\nsda.trdr with partitions : PASSED\n");
}

TEST_F(TarvelCommand, HealthyMachineExitsZero) {
  fs::path m = machine("healthy", kLinuxMachineDevices, kLinuxMachineMounts,
                       "/dev/sda healthy-hdd\n/dev/sdb healthy-ssd\n/dev/nvme0n1 healthy-hdd\n");
  Result r = tarvel(m, {"--timeout", "30"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "USB STICK: PASSED\nsda with partitions /, and /boot/efi: PASSED\nBackup Disk: PASSED\n");
}

TEST_F(TarvelCommand, FailingDriveGivesAWarningWithItsReasons) {
  fs::path m = machine("failing", "sda\nsdb\n", kLinuxHeader, "/dev/sda healthy-hdd\n/dev/sdb failing-reallocated\n");
  Result r = tarvel(m, {});
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_TRUE(r.out.starts_with("sda with partitions : PASSED\nsdb with partitions : FAILING\n    ")) << r.out;
  EXPECT_TRUE(has(r.out, "\n    Failed selftest status\n")) << r.out;

  Result json = tarvel(m, {"--json"});
  EXPECT_EQ(json.status, 1);
  ASSERT_TRUE(validJson(json.out)) << json.out;
  for (const char* part : {"\"summary\": \"WARNING\"", "\"state\": \"FAILING\"", "\"model\": \"WDC WD40EFRX-68N32N0\"",
                           "\"reasons\": [\n        \"Failed selftest status\""})
    EXPECT_TRUE(has(json.out, part)) << part << "\n" << json.out;
}

TEST_F(TarvelCommand, MacShapedMachineThroughTheMacNaming) {
  fs::path m = machine("mac", "disk0\ndisk0s1\ndisk0s2\ndisk1\ndisk1s1\nrdisk0\nrdisk1\n",
                       "Filesystem    512-blocks      Used Available Capacity  Mounted on\n"
                       "/dev/disk0s2   976490576 409654344 566324232    42%    /\n"
                       "devfs                371       371         0   100%    /dev\n"
                       "/dev/disk1s1  1953525168       100 1953525068     1%    /Volumes/Backup Disk\n",
                       "/dev/disk0 healthy-ssd\n/dev/disk1 failed-health\n");
  std::ofstream(m / "listings/volumes") << "total 8\n"
                                           "drwxrwxrwt@  4 root  admin  136 Jan  3 10:12 .\n"
                                           "drwxr-xr-x   1 alice staff 8192 Jan  2 18:30 Backup Disk\n"
                                           "lrwxr-xr-x   1 root  admin    1 Jan  1 09:41 Macintosh HD -> /\n";
  Result r = tarvel(m, {"--naming", "macos"});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(r.out, "Macintosh HD: PASSED\nBackup Disk: FAILED\n    Reallocated bad sector status is failed\n");
}

TEST_F(TarvelCommand, DriveCommandsOnASimulatedDisk) {
  fs::path m = machine("commands", "sda\n", kLinuxHeader, "/dev/sda failed-health\n");

  Result save = tarvel(m, {"--save-raw-data", "/dev/sda"}, false);
  fs::path saved = home() / ".local/state/Tarvel/sda.trdr";
  EXPECT_EQ(save.status, 0) << save.err;
  EXPECT_EQ(save.out, "Saved the raw data of /dev/sda to " + saved.string() + "\n");
  EXPECT_EQ(summary(tarvel(m, {saved.string()}, false).out), "sda.trdr with partitions : FAILED\n    Reallocated bad sector status is failed\n");

  Result failed = tarvel(m, {"--save-raw-data", "/dev/sdx"}, false);
  EXPECT_EQ(failed.status, 1);
  EXPECT_TRUE(has(failed.err, "could not save raw data: Smartctl open device: /dev/sdx failed: No such device"))
      << failed.err;
  Result replayed = tarvel(m, {"--save-raw-data", saved.string()}, false);
  EXPECT_EQ(replayed.status, 1);
  EXPECT_TRUE(has(replayed.err, "a replayed drive has no new raw data")) << replayed.err;

  Result options = tarvel(m, {"--smartctl-options", "-H", "/dev/sda"}, false);
  EXPECT_EQ(options.status, 0) << options.err;
  EXPECT_TRUE(has(options.out, "SMART overall-health self-assessment test result: FAILED!")) << options.out;

  // A trace holds no self-test start; the command fails cleanly.
  Result test = tarvel(m, {"--short-test", "/dev/sda"}, false);
  EXPECT_EQ(test.status, 1);
  EXPECT_TRUE(has(test.err, "tarvel: /dev/sda: ")) << test.err;
}

// A disk whose smartctl never answers (it sleeps for an hour) among healthy
// ones: each check of it ends after the time limit, the rest of its runs
// are skipped, it is listed UNKNOWN with the reason, and nothing it started
// outlives the run.
TEST_F(TarvelCommand, DiskThatNeverAnswersIsUnknownWithTheReason) {
  fs::path m = machine("dying", "sda\nsda1\nsdb\nsdc\n", std::string(kLinuxHeader) + "/dev/sda1 100 10 90 10% /\n",
                       "/dev/sda healthy-hdd\n/dev/sdb ?hang\n/dev/sdc healthy-ssd\n");

  Result r = tarvel(m, {"--timeout", "1"});
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_EQ(r.out,
            "/: PASSED\n"
            "sdb with partitions : UNKNOWN\n    smartctl did not answer within 1 seconds\n"
            "sdc with partitions : PASSED\n");

  // Without --timeout, the tray's preference sets the limit.
  ASSERT_EQ(tarvel(m, {"defaults", "write", "org.tarvel.Tarvel", "SmartctlTimeout", "-int", "2"}, false).status, 0);
  r = tarvel(m, {"--json"});
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_TRUE(validJson(r.out)) << r.out;
  EXPECT_TRUE(has(r.out, "\"timedOut\": 2.0,")) << r.out;
  EXPECT_TRUE(has(r.out, "\"reasons\": [\n        \"smartctl did not answer within 2 seconds\"\n      ]")) << r.out;

  const auto hung = testing_support::pidsInFile(m / "Contents/MacOS/hung.pids");
  EXPECT_EQ(hung.size(), 4u) << "the script and its sleeping child, once per check: one run each";
  for (pid_t pid : hung) EXPECT_TRUE(testing_support::processEnded(pid)) << pid;
}
