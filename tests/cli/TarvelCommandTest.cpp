// The built `tarvel` on simulated machines: prepared listings, and a
// smartctl that replays fake-drive traces through the real smartctl.
#include <fstream>
#include <sstream>

#include "app/cli/SmartctlGate.h"
#include "tests/CaseFile.h"
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

  Result tarvel(const fs::path& bundle, const std::vector<std::string>& args, bool scan = true) {
    return testing_support::runTarvel(bundle, home(), args, scan);
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
      {"replay file missing",
       {"--replay", "/nonexistent/sda.trdr"},
       false,
       "cannot read /nonexistent/sda.trdr: No such file or directory"},
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
                           "\"state\": \"FAILED\"", "\"overallHealth\": \"FAILED!\"",
                           "\"partitions\": [\n        \"/\",\n        \"/boot/efi\"\n      ]"})
    EXPECT_TRUE(has(json.out, part)) << part;

  // Each check of a real disk saved its raw data; replayed, it is the same drive.
  fs::path saved = home() / ".local/state/Tarvel/sdb.trdr";
  ASSERT_TRUE(fs::exists(saved));
  Result replay = tarvel(m, {saved.string(), "--replay", (home() / ".local/state/Tarvel/sda.trdr").string()}, false);
  EXPECT_EQ(replay.status, 2);
  EXPECT_TRUE(has(replay.out, "\n  Model: HGST HUS724020ALA640\n  Serial number: ")) << replay.out;
  EXPECT_TRUE(has(replay.out, "\n  Overall health: FAILED!\n")) << replay.out;
  // Each capability bit, from the two drives' capability bytes.
  for (const char* line :
       {"\n  Offline data collection was suspended by an interrupting command from host (automatic collection on)\n"
        "  Self-test: The previous self-test completed having the read element of the test failed.\n"
        "  Capabilities: offline immediate, automatic offline collection, offline surface scan, self-test, selective "
        "self-test, saves SMART data, error logging, general purpose logging\n"
        "  Self-test times: short 1 min, extended 298 min\n",
        "\n  Capabilities: offline immediate, automatic offline collection, offline surface scan, self-test, "
        "conveyance "
        "self-test, selective self-test, saves SMART data, error logging, general purpose logging\n"
        "  Self-test times: short 2 min, extended 468 min, conveyance 5 min\n"})
    EXPECT_TRUE(has(replay.out, line)) << line << replay.out;
  EXPECT_EQ(summary(replay.out),
            "sdb.trdr with partitions : FAILED\n    Reallocated bad sector status is failed\nsda.trdr with partitions "
            ": PASSED\n");
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
  EXPECT_EQ(summary(tarvel(m, {saved.string()}, false).out),
            "sda.trdr with partitions : FAILED\n    Reallocated bad sector status is failed\n");

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

TEST_F(TarvelCommand, EveryKindOfDriveIsJudgedFromSmartctlsAnswers) {
  const auto cases = testing_support::readCases("cli/kinds.txt");
  std::string devices, drives;
  for (const auto& c : cases) {
    devices += c[0] + "\n";
    drives += "/dev/" + c[0];
    for (const std::string& file : testing_support::split(c[1], " ")) drives += " tests/data/smartctl/" + file;
    drives += "\n";
  }
  fs::path m = machine("kinds", devices, kLinuxHeader, drives);
  const fs::path calls = m / "Contents/MacOS/captures/calls.log";
  std::ofstream(calls).close();
  for (const auto& c : cases) {
    std::string summary = c[0] + " with partitions : " + c[4] + "\n";
    for (const std::string& note : testing_support::split(c[5])) summary += "    " + note + "\n";
    Result r = tarvel(m, {"/dev/" + c[0]}, false);
    EXPECT_EQ(r.status, std::stoi(c[3])) << c.line << ": " << r.out << r.err;
    EXPECT_EQ(TarvelCommand::summary(r.out), summary) << c.line;
    // Nothing of the ATA report for a drive that is not ATA.
    if (c[2] != "ata") {
      EXPECT_FALSE(has(r.out, "Offline data collection")) << c.line << r.out;
    }

    Result json = tarvel(m, {"--json", "/dev/" + c[0]}, false);
    EXPECT_EQ(json.status, std::stoi(c[3])) << c.line;
    ASSERT_TRUE(validJson(json.out)) << json.out;
    EXPECT_TRUE(has(json.out, "\"kind\": " + (c[2] == "null" ? c[2] : "\"" + c[2] + "\""))) << c.line << json.out;
    // Without a health answer the health is unknown (0), never passed.
    if (c[3] == "3") {
      EXPECT_TRUE(has(json.out, "\"health\": 0,")) << c.line << json.out;
    }
  }

  Result info = tarvel(m, {"--info", "/dev/nvme1n1", "/dev/sdc", "/dev/sdd"}, false);
  for (const char* line :
       {"\n  Model: Samsung 980 PRO with Heatsink 2TB\n", "\n  Capacity: 2.00 TB\n", "\n  Kind: NVMe\n",
        "\n  Percentage used: 104%\n", "\n  Media and data integrity errors: 12\n", "\n  Model: HGST HUH721212AL5204\n",
        "\n  Kind: SCSI\n", "\n  Grown defects: 195\n", "\n  Device type: sat\n", "\n  Model: WDC WD10JMVW-11AJGS4\n"})
    EXPECT_TRUE(has(info.out, line)) << line << info.out;
  Result json = tarvel(m, {"--json", "/dev/nvme1n1"}, false);
  for (const char* part : {"\"percentageUsed\": 104", "\"mediaErrors\": 12", "\"powerOnHours\": 5077",
                           "\"capabilities\": null", "\"deviceType\": null", "\"asleep\": false"})
    EXPECT_TRUE(has(json.out, part)) << part << json.out;

  // Scanned, the disks without SMART are left out; the rest are judged.
  Result scan = tarvel(m, {});
  EXPECT_EQ(scan.status, 2) << scan.err;
  EXPECT_FALSE(has(scan.out, "mmcblk0") || has(scan.out, "vda") || has(scan.out, "sde")) << scan.out;
  EXPECT_TRUE(has(scan.out, "sdd with partitions : PASSED\n")) << scan.out;

  // Every line the checks sent (the "-d sat" retries, "-n standby") is one the smartctl gate lets through.
  const gate::Inspector disk = [](const std::string& path) {
    return gate::DeviceNode{"", path, path.starts_with("/dev/nvme")};
  };
  std::istringstream lines(readFile(calls));
  size_t count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    std::vector<std::string> args;
    std::istringstream words(line);
    for (std::string w; words >> w;) args.push_back(w);
    gate::Decision d = gate::decide(args, {true, "disk"}, disk);
    EXPECT_TRUE(d.allowed) << line << ": " << d.reason;
  }
  EXPECT_GT(count, 50u);
}

TEST_F(TarvelCommand, MachineWhoseOnlyDiskHasNoSmartExitsUnknown) {
  fs::path m = machine("emmc", "mmcblk0\nmmcblk0p1\n", kLinuxHeader,
                       "/dev/mmcblk0 tests/data/smartctl/other/smartctl-7.4-mmcblk0-unable-to-detect.txt\n");
  Result r = tarvel(m, {});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(has(r.err, "no drive with SMART support found; 1 drive without it left out")) << r.err;
}

TEST_F(TarvelCommand, NvmeAndScsiRawDataReplaysWithoutSmartctl) {
  fs::path m =
      machine("raw", "nvme0n1\nsda\n", kLinuxHeader,
              "/dev/nvme0n1 tests/data/smartctl/nvme/handmade-7.4-980PRO-worn-media-errors-selftest-failed.txt\n"
              "/dev/sda tests/data/smartctl/scsi/smartctl-5.41-ST3300657SS-failure-prediction.txt\n");
  ASSERT_EQ(tarvel(m, {}).status, 2);
  // No smartctl answers any more: the saved answers alone judge each drive.
  fs::remove_all(m / "Contents/MacOS/captures");
  const fs::path state = home() / ".local/state/Tarvel";
  Result r = tarvel(m, {(state / "nvme0n1.trdr").string(), (state / "sda.trdr").string()}, false);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(summary(r.out),
            "nvme0n1.trdr with partitions : FAILING\n    Percentage used (104%) has reached the wear limit (100%)\n"
            "    Too many media and data integrity errors\n    Newest self-test failed: Completed: failed segments\n"
            "sda.trdr with partitions : FAILED\n    FAILURE PREDICTION THRESHOLD EXCEEDED\n");
  EXPECT_TRUE(has(r.out, "\n  Kind: NVMe\n")) << r.out;
}

TEST_F(TarvelCommand, SleepingDiskIsNotWokenByACheck) {
  fs::path m = machine("asleep", "sdb\nnvme0n1\n", kLinuxHeader,
                       "/dev/sdb tests/data/smartctl/scsi/smartctl-6.6-HUH721212AL5204-ok.txt\n"
                       "/dev/nvme0n1 tests/data/smartctl/nvme/smartctl-7.4-980PRO-read-selftest-failed.txt\n");
  const fs::path captures = m / "Contents/MacOS/captures";
  std::ofstream(captures / "sdb.standby").close();
  std::ofstream(captures / "calls.log").close();
  Result r = tarvel(m, {"/dev/sdb"}, false);
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(summary(r.out),
            "sdb with partitions : UNKNOWN\n    asleep: not woken for this check; the state shown is "
            "the last one read\n");
  EXPECT_TRUE(has(readFile(captures / "calls.log"), "-n standby -i /dev/sdb\n")) << readFile(captures / "calls.log");
  EXPECT_TRUE(has(tarvel(m, {"--json", "/dev/sdb"}, false).out, "\"asleep\": true"));

  // Told to, a check wakes it and reads it; so does a lower wear limit find the NVMe drive worn.
  ASSERT_EQ(
      tarvel(m, {"defaults", "write", "org.tarvel.TarvelMenuItem", "WakeSleepingDrives", "-bool", "YES"}, false).status,
      0);
  ASSERT_EQ(tarvel(m, {"defaults", "write", "org.tarvel.TarvelMenuItem", "NVMeWearLimit", "-int", "1"}, false).status,
            0);
  EXPECT_EQ(summary(tarvel(m, {"/dev/sdb", "/dev/nvme0n1"}, false).out),
            "sdb with partitions : PASSED\nnvme0n1 with partitions : FAILING\n"
            "    Percentage used (2%) has reached the wear limit (1%)\n"
            "    The self-test log could not be read: Read Self-test Log failed: Invalid Field in Command (0x002)\n");

  // A self-test the user asks for wakes the disk; on NVMe it starts and aborts as on ATA.
  Result start = tarvel(m, {"--short-test", "/dev/nvme0n1"}, false);
  EXPECT_EQ(start.status, 0) << start.err;
  EXPECT_TRUE(has(start.out, "Started a short self-test on /dev/nvme0n1")) << start.out;
  EXPECT_EQ(tarvel(m, {"--abort-test", "/dev/nvme0n1"}, false).status, 0);
}
