// The tray monitor's check of NVMe, SAS/SCSI and SMART-less disks, answered
// by the stand-in smartctl from captured real answers.
#include "tests/monitor/MonitorFixture.h"

namespace monitor_test {
namespace {

class MonitorKindsTest : public MonitorTest {
 protected:
  void SetUp() override {
    fs::path smartctl = fs::path(fake.bundlePath()) / "Contents/MacOS/smartctl";
    fs::remove(smartctl);
    fs::create_symlink(TARVEL_STANDIN_PROGRAM, smartctl);
    captures = smartctl.parent_path() / "captures";
    fs::create_directories(captures);
  }
  void disk(const std::string& name, const std::string& capture, const std::vector<std::string>& volumes) {
    fs::copy_file(testing_support::sourceDir() / "tests/data/smartctl" / capture, captures / (name + ".txt"));
    scanner->nextScan.push_back(makeDrive("/dev/" + name, volumes));
  }
  fs::path captures;
};

TEST_F(MonitorKindsTest, WornNvmeAndFailedSasAreReportedAndNoDiskShowsPassedWithoutAHealthAnswer) {
  for (const char* key : {"EmailDriveFailing", "EmailDriveFailed"}) mem.platform.preferences->setBool(key, true);
  disk("nvme0n1", "nvme/handmade-7.4-980PRO-worn-media-errors-selftest-failed.txt", {"Home"});
  disk("sda", "scsi/smartctl-5.41-ST3300657SS-failure-prediction.txt", {"Data"});
  disk("mmcblk0", "other/smartctl-7.4-mmcblk0-unable-to-detect.txt", {"Boot"});
  disk("sdb", "scsi/smartctl-6.6-HUH721212AL5204-ok.txt", {"Archive"});
  std::ofstream(captures / "sdb.standby").close();
  start();
  joinMail();

  const std::vector<std::string> all = menu();
  // The fake scanner keeps every disk, as "ShowUnsupportedDrives" does.
  ASSERT_GE(all.size(), 9u);
  EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + 9),
            (std::vector<std::string>{"Archive", "Overall Status: Unknown (asleep) (disabled) indent=3", "Boot",
                                      "SMART not supported (disabled) indent=3", "Data icon=Tarvel Red@32",
                                      "Overall Status: FAILED! (disabled) indent=3", "Home icon=Tarvel Yellow@32",
                                      "Overall Status: FAILING! (disabled) indent=3", "---"}));
  std::vector<std::string> names;
  for (const auto& n : notifier->posted()) names.push_back(n.name + ": " + n.description);
  EXPECT_EQ(names, (std::vector<std::string>{
                       "DriveFailing: The drive Home is failing. It is recommended to backup all files and replace drive.",
                       "DriveFailed: The drive Data has failed.It is highly recommended to backup all files and "
                       "replace drive."}));

  const std::string list = testing_support::readFile(driveListPath());
  for (const char* part : {"<string>Samsung 980 PRO with Heatsink 2TB</string>", "<string>2.00 TB</string>",
                           "<string>SEAGATE ST3300657SS</string>", "<integer>2</integer>"})
    EXPECT_NE(list.find(part), std::string::npos) << part << list;
  ASSERT_EQ(mailCalls().size(), 1u);
  EXPECT_EQ(mailCalls()[0][7], "Home: FAILING\nData: FAILED\n");

  // Awake, the SAS disk is read; asleep later, the NVMe drive keeps its state and says so.
  fs::remove(captures / "sdb.standby");
  std::ofstream(captures / "nvme0n1.standby").close();
  controller->perform(MenuAction::UpdateDrives);
  joinMail();
  const std::vector<std::string> next = menu();
  ASSERT_GE(next.size(), 8u);
  EXPECT_EQ(next[1], "Overall Status: Passed (disabled) indent=3");
  EXPECT_EQ(next[6], "Home icon=Tarvel Yellow@32");
  EXPECT_EQ(next[7], "Overall Status: FAILING! (asleep) (disabled) indent=3");
}

}  // namespace
}  // namespace monitor_test
