#include <gtest/gtest.h>

#include <filesystem>

#include "tests/CaseFile.h"
#include "tests/kinds/CaptureFiles.h"
#include "tests/support/RunProcess.h"
#include "tests/tools/SmartctlStandin.h"

namespace {

namespace fs = std::filesystem;
using testing_support::readCases;
using testing_support::split;

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
  for (const char* file :
       {"nvme/smartctl-7.2-CT4000P3PSSD8-failed-spare.txt", "nvme/smartctl-7.3-960PRO-error-entries.txt",
        "nvme/smartctl-7.4-980PRO-read-selftest-failed.txt", "scsi/smartctl-6.6-HUH721212AL5204-ok.txt",
        "other/smartctl-6.6-unknown-usb-bridge-d-sat.txt"})
    EXPECT_EQ(withoutTrailingNewlines(ask(file, {"-a"}).text), withoutTrailingNewlines(kinds_test::capture(file)))
        << file;
}

TEST(SmartctlStandin, EachOptionGetsItsPartWithTheBannerAndExitStatus) {
  for (const auto& c : readCases("kinds/standin.txt", "option")) {
    const standin::Answer a = ask(c[0], split(c[1], " "));
    for (const std::string& p : split(c[2])) EXPECT_TRUE(has(a, p)) << c.line << " lacks " << p << "\n" << a.text;
    for (const std::string& p : split(c[3])) EXPECT_FALSE(has(a, p)) << c.line << " has " << p << "\n" << a.text;
    EXPECT_EQ(a.exitStatus, std::stoi(c[4])) << c.line;
  }
}

TEST(SmartctlStandin, ExitStatusBits) {
  for (const auto& c : readCases("kinds/standin.txt", "exit"))
    EXPECT_EQ(standin::exitStatusFor(split(c[0])), std::stoi(c[1])) << c.line;
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
