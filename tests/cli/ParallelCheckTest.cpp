// `tarvel --jobs`: drives checked at once give the output of a check of one
// drive after the other, byte for byte, and leave the same remembered
// counts. Also run under ThreadSanitizer (scripts/test.sh).
#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/SimulatedMachine.h"
#include "tests/support/TestPlatform.h"

namespace fs = std::filesystem;

namespace {

// Drives whose checks remember counts, count running tests and retry, two
// pairs with one serial number between them (the same disk seen twice),
// drives that leave the list, and more drives than threads.
const char* kDrives =
    "/dev/sda failing-reallocated\n/dev/sdb read-errors\n/dev/sdc selftest-log-failure\n"
    "/dev/sdd failing-reallocated\n/dev/sde smart-disabled\n/dev/sdf smart-ambiguous\n"
    "/dev/sdg read-errors\n/dev/sdh smart-unsupported\n/dev/sdi !Permission denied\n"
    "/dev/sdj error-log-wrapped\n/dev/sdk healthy-hdd\n"
    "/dev/nvme0n1 tests/data/smartctl/nvme/handmade-7.4-980PRO-worn-media-errors-selftest-failed.txt\n";
const char* kDevices = "sda\nsdb\nsdc\nsdd\nsde\nsdf\nsdg\nsdh\nsdi\nsdj\nsdk\nnvme0n1\n";

// The check's clock readings are the only lines that may differ.
std::string withoutClock(const std::string& text) {
  std::string kept, line;
  std::istringstream in(text);
  while (std::getline(in, line))
    if (line.find("tarvel_check_timestamp_seconds") == std::string::npos &&
        line.find("tarvel_check_duration_seconds") == std::string::npos)
      kept += line + "\n";
  return kept;
}

std::string preferences(const fs::path& home) {
  std::string all;
  for (const auto& f : fs::directory_iterator(home / ".config/Tarvel/Preferences"))
    if (f.path().extension() == ".plist") all += f.path().filename().string() + "\n" + testing_support::readFile(f);
  return all;
}

TEST(ParallelCheck, SameOutputAndRememberedCountsAsOneDriveAfterTheOther) {
  testing_support::ScratchDir scratch;
  const fs::path machine = testing_support::makeMachine(scratch.path(), "parallel", kDevices,
                                                        "Filesystem 1K-blocks Used Available Use% Mounted on\n", kDrives);
  ASSERT_FALSE(machine.empty());
  auto tarvel = [&](const fs::path& home, std::vector<std::string> args) {
    fs::create_directories(home);
    std::vector<std::string> argv{(machine / "Contents/MacOS/tarvel").string(), "--listings",
                                  (machine / "listings").string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return testing_support::runProcess(argv, "",
                                       {{"HOME", home.string()}, {"XDG_STATE_HOME", ""}, {"XDG_DATA_HOME", ""},
                                        {"XDG_CONFIG_HOME", ""}, {"LANG", "C"}, {"LANGUAGE", ""}},
                                       300);
  };

  auto metrics = [](const fs::path& home) {
    return fs::exists(home / "metrics.prom") ? withoutClock(testing_support::readFile(home / "metrics.prom")) : "";
  };
  // The text with the reports; the JSON document and the metrics file.
  const std::vector<std::vector<std::string>> modes = {{"--report"}, {"--json", "--prometheus", "metrics.prom"}};
  for (const auto& mode : modes) {
    SCOPED_TRACE(mode[0]);
    const fs::path serialHome = scratch.path() / ("serial" + mode[0]);
    const fs::path parallelHome = scratch.path() / ("parallel" + mode[0]);
    // The second check reads what the first remembered.
    for (int check = 1; check <= 2; ++check) {
      std::vector<std::string> serial = mode, parallel = mode;
      if (mode.size() > 1) {
        serial.back() = (serialHome / "metrics.prom").string();
        parallel.back() = (parallelHome / "metrics.prom").string();
      }
      serial.insert(serial.end(), {"--jobs", "1"});
      if (check == 2) parallel.insert(parallel.end(), {"--jobs", "3"});  // else the default: 8
      auto one = tarvel(serialHome, serial);
      auto many = tarvel(parallelHome, parallel);
      EXPECT_EQ(one.status, many.status);
      EXPECT_NE(one.status, 0);
      EXPECT_EQ(one.out, many.out);
      EXPECT_EQ(one.err, many.err);
      EXPECT_EQ(metrics(serialHome), metrics(parallelHome));
      EXPECT_NE(one.out.find("sdd"), std::string::npos);
    }
    EXPECT_EQ(preferences(serialHome), preferences(parallelHome));
    EXPECT_NE(preferences(serialHome).find("_LastErrorCount"), std::string::npos);
  }
  EXPECT_NE(metrics(scratch.path() / "serial--json").find("tarvel_drive"), std::string::npos);
}

}  // namespace
