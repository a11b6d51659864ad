// The installed smartctl gate as a process, on real block devices that are
// not the machine's disks: a loop device on a scratch file, with one
// partition. Every line the gate might let through goes to a recorder
// bind-mounted over /usr/sbin/smartctl in a private mount namespace, so
// nothing reaches a device even if the gate is wrong; only allowed,
// read-only lines meet the real smartctl, and only on the loop device.
//
// Loop devices, mount namespaces, file capabilities and other users need
// root, as CI runs; run as anyone else, these tests fail and say so.
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "tests/CaseFile.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TestPlatform.h"

namespace fs = std::filesystem;
using testing_support::ProcessResult;
using testing_support::runProcess;
using Args = std::vector<std::string>;

namespace {

std::string trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

// A 4 MiB loop device with one partition (added through BLKPG, which needs
// no partition-table support in the kernel), detached at the end.
class LoopDisk {
 public:
  explicit LoopDisk(const fs::path& folder) {
    const fs::path image = folder / "disk.img";
    std::ofstream(image).close();
    fs::resize_file(image, 4 << 20);
    ProcessResult r = runProcess({"/usr/sbin/losetup", "--find", "--show", image.string()});
    disk = trimmed(r.out);
    if (r.status != 0 || disk.empty()) {
      problem = "losetup: " + r.out + r.err;
      disk.clear();
      return;
    }
    r = runProcess({"/usr/bin/addpart", disk, "1", "2048", "2048"});
    const std::string name = fs::path(disk).filename().string() + "p1";
    for (int i = 0; i < 500 && !fs::exists("/dev/" + name); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (r.status != 0 || !fs::exists("/dev/" + name)) {
      problem = "addpart: " + r.out + r.err;
      return;
    }
    partition = "/dev/" + name;
  }
  ~LoopDisk() {
    if (!partition.empty()) runProcess({"/usr/bin/delpart", disk, "1"});
    if (!disk.empty()) runProcess({"/usr/sbin/losetup", "--detach", disk});
  }
  LoopDisk(const LoopDisk&) = delete;
  LoopDisk& operator=(const LoopDisk&) = delete;

  std::string disk, partition, problem;
};

enum class As { Root, Nobody, DiskMember };

// The recorder: one line per start, "EFFECTIVE AMBIENT FD1 [arg]...", in
// `calls`; on standard output its environment, and what an unprivileged
// smartctl would say about a device path.
constexpr const char* kRecorder = R"SH(#!/bin/sh
eff=$(sed -n 's/^CapEff:[[:space:]]*//p' /proc/$$/status)
amb=$(sed -n 's/^CapAmb:[[:space:]]*//p' /proc/$$/status)
out=$(readlink /proc/$$/fd/1 | tr ' ' _)
{ printf '%s %s %s' "$eff" "$amb" "$out"; for a in "$@"; do printf ' [%s]' "$a"; done; echo; } >> @CALLS@
echo "smartctl stand-in"
env | sort | sed 's/^/ENV:/'
for last in "$@"; do :; done
case "$last" in
  -) cat ;;
  /*) [ "$eff" = 0000000000000000 ] && echo "Smartctl open device: $last failed: Permission denied" ;;
esac
exit 0
)SH";

// The built gate, copied (so that file capabilities can be set on it), and
// the recorder, in a folder every test user may enter.
class GateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(geteuid(), 0u) << "the gate tests need root (as CI runs them): loop devices, mount namespaces, "
                                "file capabilities and other users";
    fs::permissions(scratch.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
    fs::copy_file(TARVEL_GATE_PROGRAM, gate);
    fs::permissions(gate, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    // $0 is /usr/sbin/smartctl when it runs: the record's path is written in.
    std::string recorder = kRecorder;
    recorder.replace(recorder.find("@CALLS@"), 7, "'" + (scratch.path() / "calls").string() + "'");
    scratch.write("recorder", recorder, true);
    fs::permissions(scratch.path() / "recorder", fs::perms::others_exec | fs::perms::others_read,
                    fs::perm_options::add);
    std::ofstream(scratch.path() / "calls").close();
    fs::permissions(scratch.path() / "calls",
                    fs::perms::all & ~fs::perms::owner_exec & ~fs::perms::group_exec & ~fs::perms::others_exec);
    ASSERT_TRUE(loop.problem.empty()) << loop.problem;
    const struct group* disk = getgrnam(TARVEL_GATE_SELFTEST_GROUP);
    ASSERT_NE(disk, nullptr) << "no group " << TARVEL_GATE_SELFTEST_GROUP;
    diskGroup = std::to_string(disk->gr_gid);
  }

  void grantCapabilities() {
    ProcessResult r = runProcess({"/usr/sbin/setcap", TARVEL_GATE_CAPABILITIES "+ep", gate.string()});
    ASSERT_EQ(r.status, 0) << r.err;
  }

  Args as(As who, Args argv) const {
    if (who == As::Nobody)
      argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"});
    if (who == As::DiskMember)
      argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--groups=" + diskGroup, "--"});
    return argv;
  }

  // The gate with `args`, in a mount namespace whose /usr/sbin/smartctl is
  // the recorder.
  ProcessResult gateBeforeRecorder(const Args& args, As who = As::Root, const std::string& input = "",
                                   const std::map<std::string, std::string>& env = {}, bool closeStdout = false) {
    Args command = as(who, {gate.string()});
    command.insert(command.end(), args.begin(), args.end());
    command.insert(command.begin(),
                   {"/usr/bin/unshare", "--mount", "--propagation", "private", "/bin/sh", "-c",
                    std::string("mount --bind \"$0\" /usr/sbin/smartctl && exec \"$@\"") + (closeStdout ? " >&-" : ""),
                    (scratch.path() / "recorder").string()});
    return runProcess(command, input, env);
  }

  // What the recorder was started with, one line per start.
  std::vector<std::string> calls() const {
    std::vector<std::string> lines;
    std::ifstream in(scratch.path() / "calls");
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  void forgetCalls() { std::ofstream(scratch.path() / "calls", std::ios::trunc).close(); }

  // The arguments of a line of tests/integration/gate-lines.txt, its words
  // for this test's files put in.
  Args line(const std::string& field) const {
    const std::map<std::string, std::string> files{{"DISK", loop.disk},
                                                   {"PARTITION", loop.partition},
                                                   {"PASSWD", (scratch.path() / "passwd-link").string()},
                                                   {"DISKLINK", (scratch.path() / "disk-link").string()},
                                                   {"FIFO", (scratch.path() / "fifo").string()},
                                                   {"NODE", (scratch.path() / "node").string()}};
    Args args;
    for (std::string word : testing_support::split(field, " ")) {
      if (word.starts_with("BIG")) word = std::string(120 * 1024, 'a') + word.substr(3);
      args.push_back(files.contains(word) ? files.at(word) : word);
    }
    return args;
  }

  testing_support::ScratchDir scratch;
  fs::path gate = scratch.path() / "smartctl";
  LoopDisk loop{scratch.path()};
  std::string diskGroup;
};

std::string bracketed(const Args& args) {
  std::string out;
  for (const auto& a : args) out += " [" + a + "]";
  return out;
}

// CapEff as /proc prints it: cap_dac_read_search (bit 2) and cap_sys_rawio (bit 17).
constexpr const char* kDacRawio = "0000000000020004";

}  // namespace

TEST_F(GateTest, HostileLinesAreRefusedAndSmartctlIsNeverStarted) {
  grantCapabilities();
  fs::create_symlink("/etc/passwd", scratch.path() / "passwd-link");
  ASSERT_EQ(mkfifo((scratch.path() / "fifo").c_str(), 0666), 0);
  // The loop device's own node, in a folder under world-writable /tmp.
  struct stat st {};
  ASSERT_EQ(stat(loop.disk.c_str(), &st), 0);
  ASSERT_EQ(mknod((scratch.path() / "node").c_str(), S_IFBLK | 0600, st.st_rdev), 0);
  const auto cases = testing_support::readCases("integration/gate-lines.txt", "refuse");
  for (As who : {As::Root, As::Nobody}) {
    for (const auto& c : cases) {
      ProcessResult r = gateBeforeRecorder(line(c[0]), who);
      EXPECT_EQ(r.status, 2) << c.line << r.err;
      EXPECT_NE(r.err.find("Tarvel smartctl gate: refused.\nIt runs smartctl only"), std::string::npos) << r.err;
      EXPECT_NE(r.err.find("\nCheck failed: "), std::string::npos) << r.err;
      EXPECT_NE(r.err.find(c[1]), std::string::npos) << c.line << ": " << r.err;
      EXPECT_TRUE(r.out.empty()) << r.out;
    }
  }
  EXPECT_EQ(calls(), std::vector<std::string>{});
  // The recorder does record, for both users, so the silence above counts.
  for (As who : {As::Root, As::Nobody}) EXPECT_EQ(gateBeforeRecorder({"-i", loop.disk}, who).status, 0);
  EXPECT_EQ(calls().size(), 2u);
}

TEST_F(GateTest, AllowedLinesReachSmartctlWithOnlyTheCapabilitiesTheyNeed) {
  grantCapabilities();
  fs::create_symlink(loop.disk, scratch.path() / "disk-link");
  const auto cases = testing_support::readCases("integration/gate-lines.txt", "allow");
  for (As who : {As::Root, As::Nobody}) {
    for (const auto& c : cases) {
      forgetCalls();
      ProcessResult r = gateBeforeRecorder(line(c[0]), who);
      EXPECT_EQ(r.status, 0) << c.line << r.out << r.err;
      ASSERT_EQ(calls().size(), 1u) << c.line << r.err;
      const std::string call = calls()[0];
      EXPECT_EQ(call.substr(call.find(' ', 34)), bracketed(line(c[1] == "=" ? c[0] : c[1]))) << c.line;
      EXPECT_EQ(call.substr(0, 16), c[2]) << c.line << ": " << call;
      // A user's capabilities arrive through the ambient set, nothing else.
      if (who == As::Nobody) {
        EXPECT_EQ(call.substr(17, 16), c[2]) << c.line << ": " << call;
      }
      EXPECT_EQ(r.out.find("Tarvel:"), std::string::npos) << r.out;  // privileged: no advice
    }
  }
  // NVMe namespaces would get cap_sys_admin in place of cap_sys_rawio; a
  // loop device cannot pose as one, so the rules' test covers that.
}

// As root, tarvel runs smartctl itself, without the gate, but by the gate's
// rules: the device path resolved, and a line the gate refuses goes to the
// gate, which says why and starts nothing.
TEST_F(GateTest, RootCheckRunsSmartctlItselfByTheGateRules) {
  const fs::path bundle = scratch.path() / "Root.app/Contents";
  fs::create_directories(bundle / "MacOS");
  fs::create_directory_symlink(testing_support::buildDir() / "Tarvel Menu Item.app/Contents/Resources",
                               bundle / "Resources");
  fs::copy_file(testing_support::buildDir() / "Tarvel Menu Item.app/Contents/MacOS/tarvel", bundle / "MacOS/tarvel");
  fs::copy_file(gate, bundle / "MacOS/smartctl");
  auto tarvel = [&](const std::string& device) {
    return runProcess({"/usr/bin/unshare", "--mount", "--propagation", "private", "/bin/sh", "-c",
                       "mount --bind \"$0\" /usr/sbin/smartctl && exec \"$@\"", (scratch.path() / "recorder").string(),
                       (bundle / "MacOS/tarvel").string(), "--info", device},
                      "", {{"HOME", (scratch.path() / "home").string()}, {"XDG_CONFIG_HOME", ""}, {"LANG", "C"}});
  };

  ProcessResult r = tarvel("/dev/./" + fs::path(loop.disk).filename().string());
  ASSERT_FALSE(calls().empty()) << r.out << r.err;
  for (const std::string& call : calls()) {
    EXPECT_TRUE(call.ends_with(" [" + loop.disk + "]")) << call;
    EXPECT_NE(call.substr(0, 16), kDacRawio) << "went through the gate: " << call;
  }

  forgetCalls();
  r = tarvel(loop.partition);
  EXPECT_EQ(calls(), std::vector<std::string>{});
  EXPECT_NE(r.out.find("Check failed: \"" + loop.partition + "\" is a partition, not a whole disk"), std::string::npos)
      << r.out << r.err;
}

TEST_F(GateTest, SelfTestsOnlyForRootAndTheGroup) {
  grantCapabilities();
  const Args lines[] = {{"-t", "short", loop.disk}, {"-t", "long", loop.disk}, {"-X", loop.disk}};
  for (const Args& line : lines) {
    ProcessResult refused = gateBeforeRecorder(line, As::Nobody);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("Check failed: only root and members of the group \"" TARVEL_GATE_SELFTEST_GROUP
                               "\" may start or abort a self-test.\n"),
              std::string::npos)
        << refused.err;
    EXPECT_TRUE(calls().empty());
    for (As who : {As::DiskMember, As::Root}) {
      forgetCalls();
      ProcessResult r = gateBeforeRecorder(line, who);
      EXPECT_EQ(r.status, 0) << r.err;
      ASSERT_EQ(calls().size(), 1u);
      EXPECT_EQ(calls()[0].substr(0, 16), kDacRawio);
      EXPECT_NE(calls()[0].find(bracketed(line)), std::string::npos) << calls()[0];
    }
    forgetCalls();
  }
}

TEST_F(GateTest, SmartctlGetsACleanEnvironmentStandardInputAndOpenStandardDescriptors) {
  ProcessResult r = gateBeforeRecorder(
      {"-r", "ataioctl,2", "-a", "-"}, As::Root, "TRACE ON STDIN\n",
      {{"LD_PRELOAD", "/tmp/tarvel-no-such.so"}, {"SECRET_TOKEN", "x"}, {"PATH", "/tmp/evil:/usr/bin"}});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("TRACE ON STDIN"), std::string::npos);
  EXPECT_NE(r.out.find("ENV:LC_ALL=C\nENV:PATH=/usr/sbin:/usr/bin:/sbin:/bin\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("LD_PRELOAD"), std::string::npos);
  EXPECT_EQ(r.out.find("SECRET_TOKEN"), std::string::npos);

  // With standard output closed, the device smartctl opens would take its
  // number; the gate puts /dev/null there first.
  forgetCalls();
  r = gateBeforeRecorder({"-i", loop.disk}, As::Root, "", {}, true);
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(calls().size(), 1u);
  EXPECT_EQ(calls()[0].substr(34, 10), "/dev/null ") << calls()[0];
}

// The real smartctl, with only allowed read-only lines, on the loop device,
// whose node only root may open (0600): cap_dac_read_search is enough for
// smartctl to open it with every device type, since it opens read-only.
TEST_F(GateTest, ReadSearchIsEnoughForSmartctlToOpenADisk) {
  ASSERT_EQ(fs::status(loop.disk).permissions() & (fs::perms::group_read | fs::perms::others_read), fs::perms::none);
  ProcessResult denied = runProcess(as(As::Nobody, {gate.string(), "-d", "sat", "-i", loop.disk}));
  EXPECT_NE(denied.out.find("failed: Permission denied"), std::string::npos) << denied.out << denied.err;
  EXPECT_NE(denied.out.find("Tarvel: smartctl was not allowed to open the disk."), std::string::npos) << denied.out;
  EXPECT_NE(denied.out.find("`sudo setcap " TARVEL_GATE_CAPABILITIES "+ep '"), std::string::npos) << denied.out;

  grantCapabilities();
  for (const char* type : {"auto", "ata", "sat", "sat,12", "sat,16", "scsi", "nvme"}) {
    ProcessResult r = runProcess(as(As::Nobody, {gate.string(), "-d", type, "-n", "standby", "-i", loop.disk}));
    EXPECT_NE(r.out.find("smartctl "), std::string::npos) << type << ": " << r.out << r.err;
    EXPECT_EQ(r.out.find("Permission denied"), std::string::npos) << type << ": " << r.out;
    EXPECT_EQ(r.out.find("Operation not permitted"), std::string::npos) << type << ": " << r.out;
    EXPECT_EQ(r.out.find("Tarvel:"), std::string::npos) << type << ": " << r.out;
  }
}

// The bundle's own gate in front of the real smartctl, replaying simulated
// drives from standard input as the drive record does for saved traces.
TEST(SmartctlGate, BundleGateReplaysSimulatedDrivesThroughRealSmartctl) {
  fs::path gate = testing_support::buildDir() / "Tarvel Menu Item.app/Contents/MacOS/smartctl";
  fs::path fakedrive = testing_support::buildDir() / "tools/fakedrive/tarvel-fakedrive";
  fs::path drives = testing_support::sourceDir() / "resources/simulated-drives";
  struct Case {
    const char* drive;
    std::string verdict;
  } cases[] = {{"healthy-hdd.drive", "test result: PASSED"}, {"failed-health.drive", "test result: FAILED!"}};
  for (const auto& c : cases) {
    auto trace = runProcess({fakedrive.string(), "--for", "H", (drives / c.drive).string()});
    ASSERT_EQ(trace.status, 0) << trace.err;
    auto r = runProcess({gate.string(), "-H", "-"}, trace.out);
    EXPECT_NE(r.out.find(c.verdict), std::string::npos) << c.drive << ":\n" << r.out << r.err;
  }
}
