// The monitor's check end to end against the real smartctl, which replays
// simulated drives: the bundle's smartctl is a wrapper that hands smartctl
// the trace of the device path it is asked about.
#include "tests/monitor/MonitorFixture.h"

namespace monitor_test {
namespace {

const char* kSmartctl = "/usr/sbin/smartctl";

class MonitorReplayTest : public MonitorTest {
 protected:
  void SetUp() override {
    tool = testing_support::buildDir() / "tools/fakedrive/tarvel-fakedrive";
    ASSERT_TRUE(fs::exists(kSmartctl)) << "smartmontools is not installed (scripts/deps.sh installs it)";
    ASSERT_TRUE(fs::exists(tool)) << "tarvel-fakedrive is not built";
    fs::path wrapper = fs::path(fake.bundlePath()) / "Contents/MacOS/smartctl";
    std::ofstream(wrapper) << "#!/bin/sh\n"
                              "traces=\"$(dirname \"$0\")/../../traces\"\n"
                              "case \"$1 $2\" in\n"
                              "  '-H '*) mode=H ;; '-i '*) mode=i ;; '-c '*) mode=c ;; '-A '*) mode=A ;;\n"
                              "  '-l error') mode=error ;; '-l selftest') mode=selftest ;;\n"
                              "  '-l selective') mode=selective ;; '-s on') mode=on ;; *) mode=a ;;\n"
                              "esac\n"
                              "n=$#; i=0\n"
                              "for arg; do\n"
                              "  i=$((i + 1))\n"
                              "  if [ $i -eq $n ]; then device=$(basename \"$arg\"); set -- \"$@\" -;\n"
                              "  else set -- \"$@\" \"$arg\"; fi\n"
                              "done\n"
                              "shift $n\n"
                              "exec " << kSmartctl << " \"$@\" < \"$traces/$device.$mode\"\n";
    fs::permissions(wrapper, fs::perms::owner_all, fs::perm_options::add);
    fs::create_directories(fs::path(fake.bundlePath()) / "traces");
  }

  // disk name -> description file; writes one trace per smartctl option.
  void simulate(const std::string& disk, const std::string& description, const std::vector<std::string>& volumes) {
    fs::path source = testing_support::sourceDir() / "resources/simulated-drives" / description;
    for (const char* mode : {"H", "i", "c", "A", "error", "selftest", "selective", "on", "a"}) {
      fs::path trace = fs::path(fake.bundlePath()) / "traces" / (disk + "." + mode);
      std::string command = tool.string() + " --for " + mode + " '" + source.string() + "' > '" + trace.string() + "'";
      ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    scanner->nextScan.push_back(makeDrive("/dev/" + disk, volumes));
  }

  fs::path tool;
};

TEST_F(MonitorReplayTest, HealthyAndFailedDrives) {
  mem.platform.preferences->setBool("EmailDriveFailed", true);
  simulate("disk0", "healthy-hdd.drive", {"Macintosh HD"});
  simulate("disk1", "failed-health.drive", {"Backup", "Media"});
  start();
  joinMail();

  EXPECT_EQ(menu(), afterCheck({"disk1 icon=Tarvel Red@32 {Backup (disabled), Media (disabled)}",
                                 "Overall Status: FAILED! (disabled) indent=3", "Macintosh HD icon=Tarvel Green@32",
                                 "Overall Status: Passed (disabled) indent=3"}));
  EXPECT_EQ(statusItem->images.back(), (MenuImage{"Tarvel Red", 18}));
  ASSERT_EQ(notifier->posted().size(), 2u);
  EXPECT_EQ(notifier->posted()[0].name, "DriveFailing");
  EXPECT_EQ(notifier->posted()[1].name, "DriveFailed");

  std::string file = testing_support::readFile(driveListPath());
  EXPECT_NE(file.find("<string>disk1 with partitions Backup, and Media</string>"), std::string::npos) << file;
  EXPECT_NE(file.find("<integer>1</integer>"), std::string::npos) << file;
  ASSERT_EQ(mailCalls().size(), 1u);
  EXPECT_EQ(mailCalls()[0][7], "disk1 with partitions Backup, and Media: FAILED\n");
  for (const auto& alert : mem.alerts->shown) ADD_FAILURE() << "alert during the update: " << alert.informative;
}

}  // namespace
}  // namespace monitor_test
