#include <gtest/gtest.h>

#include <filesystem>

#include "tests/kinds/CaptureFiles.h"
#include "tests/support/RunProcess.h"
#include "tools/standin/SmartctlStandin.h"

namespace {

namespace fs = std::filesystem;

standin::Answer ask(const std::string& file, std::vector<std::string> args) {
  args.push_back("/dev/x");
  std::string error;
  std::optional<standin::Request> request = standin::parseArguments(args, error);
  EXPECT_TRUE(request) << error;
  return standin::answer(kinds_test::capture(file), *request);
}

std::string withoutTrailingNewlines(std::string s) {
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

bool has(const standin::Answer& a, const std::string& text) { return a.text.find(text) != std::string::npos; }

TEST(SmartctlStandin, AllOfAnAllAnswerIsTheAnswerItself) {
  for (const char* file : {"nvme/smartctl-7.2-CT4000P3PSSD8-failed-spare.txt", "nvme/smartctl-7.3-960PRO-error-entries.txt",
                           "nvme/smartctl-7.4-980PRO-read-selftest-failed.txt",
                           "scsi/smartctl-6.6-HUH721212AL5204-ok.txt",
                           "other/smartctl-6.6-unknown-usb-bridge-d-sat.txt"})
    EXPECT_EQ(withoutTrailingNewlines(ask(file, {"-a"}).text), withoutTrailingNewlines(kinds_test::capture(file))) << file;
}

TEST(SmartctlStandin, EachOptionGetsItsPartWithTheBannerAndExitStatus) {
  struct Case {
    const char* file;
    std::vector<std::string> args;
    std::vector<std::string> present;
    std::vector<std::string> absent;
    int status;
  };
  const char* failedNvme = "nvme/smartctl-7.2-CT4000P3PSSD8-failed-spare.txt";
  const char* sas = "scsi/handmade-7.3-SAS-x-defects-uncorrected-selftest.txt";
  const char* ata = "other/smartctl-6.6-unknown-usb-bridge-d-sat.txt";
  const Case cases[] = {
      {failedNvme, {"-H"}, {"smartctl 7.2 2020-12-30", "=== START OF SMART DATA SECTION ===", "FAILED!", "- media has been"},
       {"Critical Warning", "Model Number"}, 8},
      {failedNvme, {"-i"}, {"=== START OF INFORMATION SECTION ===", "Model Number:", "Local Time is:"},
       {"Firmware Updates", "SMART DATA SECTION"}, 0},
      {failedNvme, {"-c"}, {"Firmware Updates", "Supported Power States", "Supported LBA Sizes"}, {"Model Number"}, 0},
      {failedNvme, {"-A"}, {"SMART DATA SECTION", "Critical Warning:                   0x09"}, {"FAILED!", "ErrCount"}, 0},
      {failedNvme, {"-l", "error"}, {"Error Information (NVMe Log 0x01, 16 of 16 entries)"}, {"Critical Warning"}, 0},
      {failedNvme, {"-T", "verypermissive", "-H"}, {"FAILED!"}, {}, 8},
      {"nvme/smartctl-7.4-980PRO-read-selftest-failed.txt", {"-l", "selftest"}, {"Read Self-test Log failed"},
       {"SMART DATA SECTION"}, 4},
      {"nvme/handmade-7.4-980PRO-worn-media-errors-selftest-failed.txt", {"-l", "selftest"},
       {"Completed: failed segments"}, {"Percentage Used"}, 0},
      {"nvme/smartctl-7.4-APPLE-error-log-read-failed.txt", {"-l", "error"}, {"Read 1 entries"}, {"Temperature"}, 4},
      {sas, {"-H"}, {"=== START OF READ SMART DATA SECTION ===", "SMART Health Status: OK"}, {"Current Drive"}, 0},
      {sas, {"-A"}, {"Current Drive Temperature", "Elements in grown defect list: 195"},
       {"Health Status", "Error counter", "number of phys", "2529263 minutes"}, 0},
      {sas, {"-l", "error"}, {"Error counter log:", "Non-medium error count:       12"}, {"grown"}, 0},
      {sas, {"-l", "selftest"}, {"# 1  Background long", "Long (extended) Self-test duration"}, {"Error counter"}, 128},
      {sas, {"-i"}, {"Vendor:               HGST", "Temperature Warning:  Enabled"}, {"Read Cache is", "SMART DATA"}, 0},
      {sas, {"-x"}, {"Read Cache is", "Protocol Specific port log page"}, {}, 128},
      {"scsi/smartctl-5.41-ST3300657SS-failure-prediction.txt", {"-H"}, {"FAILURE PREDICTION"}, {"Vendor:"}, 8},
      {ata, {"-i"}, {"Device Model:     WDC WD10JMVW-11AJGS4"}, {"READ SMART DATA", "overall-health"}, 0},
      {ata, {"-H"}, {"READ SMART DATA", "test result: PASSED"}, {"General SMART Values", "ID#"}, 0},
      {ata, {"-c"}, {"General SMART Values", "SCT capabilities"}, {"test result", "ID#"}, 0},
      {ata, {"-A"}, {"ID# ATTRIBUTE_NAME", "200 Multi_Zone_Error_Rate"}, {"General SMART", "Error Log"}, 0},
      {ata, {"-l", "error"}, {"SMART Error Log Version: 1", "No Errors Logged"}, {"ID#"}, 0},
      {ata, {"-l", "selftest"}, {"No self-tests have been logged"}, {"SPAN"}, 0},
      {ata, {"-l", "selective"}, {"SPAN  MIN_LBA"}, {"No self-tests"}, 0},
      {"other/smartctl-6.6-unknown-usb-bridge.txt", {"-i"}, {"Unknown USB bridge"}, {}, 1},
      {"other/smartctl-7.4-mmcblk0-unable-to-detect.txt", {"-H"}, {"Unable to detect device type"}, {}, 1},
      {"other/smartctl-7.3-standby.txt", {"-n", "standby", "-i"}, {"Device is in STANDBY mode"}, {}, 2},
  };
  for (const Case& c : cases) {
    const standin::Answer a = ask(c.file, c.args);
    const std::string what = std::string(c.file) + " " + c.args.back();
    for (const std::string& p : c.present) EXPECT_TRUE(has(a, p)) << what << " lacks " << p << "\n" << a.text;
    for (const std::string& p : c.absent) EXPECT_FALSE(has(a, p)) << what << " has " << p << "\n" << a.text;
    EXPECT_EQ(a.exitStatus, c.status) << what;
  }
}

TEST(SmartctlStandin, ExitStatusBits) {
  struct Case {
    std::vector<std::string> lines;
    int status;
  };
  const Case cases[] = {
      {{"SMART overall-health self-assessment test result: PASSED"}, 0},
      {{"SMART overall-health self-assessment test result: FAILED!"}, 8},
      {{"SMART Health Status: OK"}, 0},
      {{"SMART Health Status: HARDWARE IMPENDING FAILURE TOO MANY BLOCK REASSIGNS [asc=5d, ascq=14]"}, 8},
      {{"  5 Reallocated_Sector_Ct   0x0033   001   001   036    Pre-fail  Always   FAILING_NOW 2048"}, 16},
      {{"190 Airflow_Temperature_Cel 0x0022   055   040   045    Old_age   Always   In_the_past 45"}, 32},
      {{"ATA Error Count: 3 (device log contains only the most recent five errors)"}, 64},
      {{"ATA Error Count: 0"}, 0},
      {{"SMART Self-test log structure revision number 1", "# 1  Short offline       Completed: read failure       90%     57058         4200736"}, 128},
      {{"SMART Self-test log structure revision number 1", "# 1  Short offline       Completed without error       00%      4556         -"}, 0},
      {{"Read Self-test Log failed: Invalid Field in Command (0x002)"}, 4},
      {{"Smartctl open device: /dev/sdq failed: No such device"}, 2},
      {{"/dev/vda: Unable to detect device type", "Please specify device type with the -d option."}, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(standin::exitStatusFor(c.lines), c.status) << c.lines.back();
}

TEST(SmartctlStandin, ArgumentsAsTheDriveRecordBuildsThem) {
  std::string error;
  auto r = standin::parseArguments({"-n", "standby", "-d", "sat", "-l", "selftest", "/dev/sdb"}, error);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->powerMode, "standby");
  EXPECT_EQ(r->deviceType, "sat");
  EXPECT_EQ(r->parts, std::set<standin::Part>{standin::Part::SelfTestLog});
  EXPECT_EQ(r->device, "/dev/sdb");
  EXPECT_TRUE(standin::parseArguments({"-V"}, error));
  EXPECT_FALSE(standin::parseArguments({"-l"}, error));
  EXPECT_FALSE(standin::parseArguments({"--frobnicate", "/dev/sda"}, error));
  EXPECT_FALSE(standin::parseArguments({"-H"}, error));
}

TEST(SmartctlStandin, TheProgramAnswersPerDeviceTypeAndPowerMode) {
  testing_support::ScratchDir dir;
  fs::create_directories(dir.path() / "captures");
  fs::create_symlink(TARVEL_STANDIN_PROGRAM, dir.path() / "smartctl");
  dir.write("captures/sdc.txt", kinds_test::capture("other/smartctl-6.6-unknown-usb-bridge.txt"));
  dir.write("captures/sdc@sat.txt", kinds_test::capture("other/smartctl-6.6-unknown-usb-bridge-d-sat.txt"));
  dir.write("captures/nvme0.txt", kinds_test::capture("nvme/smartctl-7.2-CT4000P3PSSD8-failed-spare.txt"));
  dir.write("captures/sdd.txt", kinds_test::capture("scsi/smartctl-6.6-HUH721212AL5204-ok.txt"));
  dir.write("captures/sdd.standby", "");
  dir.write("captures/calls.log", "");
  const std::string smartctl = (dir.path() / "smartctl").string();
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), smartctl);
    return testing_support::runProcess(args);
  };

  auto bridge = run({"-i", "/dev/sdc"});
  EXPECT_EQ(bridge.status, 1);
  EXPECT_NE(bridge.out.find("Unknown USB bridge"), std::string::npos);
  auto sat = run({"-d", "sat", "-i", "/dev/sdc"});
  EXPECT_EQ(sat.status, 0);
  EXPECT_NE(sat.out.find("Device Model:     WDC WD10JMVW-11AJGS4"), std::string::npos);
  auto nvmeTypeFallsBack = run({"-d", "nvme", "-H", "/dev/nvme0"});
  EXPECT_EQ(nvmeTypeFallsBack.status, 8);

  auto asleep = run({"-n", "standby", "-H", "/dev/sdd"});
  EXPECT_EQ(asleep.status, 2);
  EXPECT_NE(asleep.out.find("Device is in STANDBY mode, exit(2)"), std::string::npos);
  auto woken = run({"-H", "/dev/sdd"});
  EXPECT_EQ(woken.status, 0);
  EXPECT_NE(woken.out.find("SMART Health Status: OK"), std::string::npos);

  auto missing = run({"-i", "/dev/sdq"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.out.find("Smartctl open device: /dev/sdq failed: No such device"), std::string::npos);
  EXPECT_EQ(run({"-V"}).status, 0);

  EXPECT_EQ(testing_support::readFile(dir.path() / "captures/calls.log"),
            "-i /dev/sdc\n-d sat -i /dev/sdc\n-d nvme -H /dev/nvme0\n-n standby -H /dev/sdd\n-H /dev/sdd\n"
            "-i /dev/sdq\n-V\n");
}

}  // namespace
