// The smartctl gate as a process: the test build runs the "real-smartctl"
// script beside it, which reports what it was given.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/RunProcess.h"
#include "tests/support/TestPlatform.h"

namespace fs = std::filesystem;
using testing_support::runProcess;

namespace {

constexpr const char* kFakeSmartctl = R"(#!/bin/sh
touch "$(dirname "$0")/ran"
for a in "$@"; do echo "ARG[$a]"; done
env | sort | sed 's/^/ENV:/'
grep -E '^Cap(Amb|Eff)' /proc/self/status | sed 's/^/CAPS:/'
if [ "$2" = /dev/sdzz ]; then echo "Smartctl open device: /dev/sdzz failed: Permission denied"; fi
for last in "$@"; do :; done
if [ "$last" = - ]; then cat; fi
exit 3
)";

// The gate and its stand-in smartctl in a folder anyone may enter, so
// that the gate can also run as an unprivileged user.
class GateFolder {
 public:
  static constexpr fs::perms kShared = fs::perms::all & ~fs::perms::others_write & ~fs::perms::group_write;
  GateFolder() {
    fs::permissions(scratch.path(), kShared);
    fs::copy_file(TARVEL_GATE_TEST_PROGRAM, gate());
    scratch.write("real-smartctl", kFakeSmartctl, true);
    fs::permissions(scratch.path() / "real-smartctl", kShared);
  }
  std::string gate() const { return (scratch.path() / "smartctl").string(); }
  bool smartctlRan() const { return fs::exists(scratch.path() / "ran"); }
  testing_support::ScratchDir scratch;
};

std::vector<std::string> asNobody(std::vector<std::string> argv) {
  argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"});
  return argv;
}

}  // namespace

TEST(SmartctlGate, PassesAllowedLinesWithCleanEnvironmentAndStandardInput) {
  GateFolder f;
  auto r = runProcess({f.gate(), "-r", "ataioctl,2", "-a", "-"}, "TRACE ON STDIN\n",
                      {{"LD_PRELOAD", "/tmp/evil.so"}, {"SECRET_TOKEN", "x"}, {"PATH", "/tmp/evil:/usr/bin"}});
  EXPECT_EQ(r.status, 3);  // smartctl's own status comes back
  EXPECT_NE(r.out.find("ARG[-r]\nARG[ataioctl,2]\nARG[-a]\nARG[-]\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("TRACE ON STDIN"), std::string::npos);
  EXPECT_NE(r.out.find("ENV:PATH=/usr/sbin:/usr/bin:/sbin:/bin\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ENV:LC_ALL=C\n"), std::string::npos);
  EXPECT_EQ(r.out.find("LD_PRELOAD"), std::string::npos);
  EXPECT_EQ(r.out.find("SECRET_TOKEN"), std::string::npos);
}

TEST(SmartctlGate, RefusesWithExitStatusTwoAndRunsNothing) {
  GateFolder f;
  for (std::vector<std::string> args : {std::vector<std::string>{"-s", "off", "/dev/sda"}, {"-i", "/dev/sda1"},
                                        {"-i", "/etc/passwd"}, {}}) {
    args.insert(args.begin(), f.gate());
    auto r = runProcess(args);
    EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
    EXPECT_NE(r.err.find("smartctl gate: refused: "), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
  }
  EXPECT_FALSE(f.smartctlRan());
}

TEST(SmartctlGate, ExplainsMissingPrivilegesWhenDenied) {
  GateFolder f;
  std::vector<std::string> argv = {f.gate(), "-i", "/dev/sdzz"};
  // Root counts as privileged, so the unprivileged case runs as "nobody".
  if (geteuid() == 0) argv = asNobody(argv);
  auto r = runProcess(argv);
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.out.find("failed: Permission denied\n\nTarvel: smartctl was not allowed to open the disk."),
            std::string::npos)
      << r.out << r.err;
  EXPECT_NE(r.out.find("sudo cmake --install build"), std::string::npos);

  auto fine = runProcess({f.gate(), "-H", "-"});
  EXPECT_EQ(fine.out.find("Tarvel:"), std::string::npos);
}

TEST(SmartctlGate, HandsItsCapabilitiesToSmartctlOnly) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give the gate file capabilities";
  GateFolder f;
  auto set = runProcess({"/usr/sbin/setcap", "cap_sys_rawio,cap_sys_admin,cap_dac_override+ep", f.gate()});
  if (set.status != 0) GTEST_SKIP() << "file capabilities unsupported here: " << set.err;
  auto r = runProcess(asNobody({f.gate(), "-i", "/dev/sdzz"}));
  // cap_dac_override (1), cap_sys_rawio (17), cap_sys_admin (21).
  EXPECT_NE(r.out.find("CAPS:CapEff:\t0000000000220002"), std::string::npos) << r.out << r.err;
  EXPECT_NE(r.out.find("CAPS:CapAmb:\t0000000000220002"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("Tarvel:"), std::string::npos);  // privileged: no advice

  auto refused = runProcess(asNobody({f.gate(), "-s", "off", "/dev/sdzz"}));
  EXPECT_EQ(refused.status, 2);
  EXPECT_TRUE(refused.out.empty());
}

// The bundle's own gate in front of the real smartctl, replaying simulated
// drives from standard input as the drive record does for saved traces.
TEST(SmartctlGate, BundleGateReplaysSimulatedDrivesThroughRealSmartctl) {
  if (!fs::exists("/usr/sbin/smartctl")) GTEST_SKIP() << "smartmontools is not installed";
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
