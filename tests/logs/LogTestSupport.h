// Shared set-up of the log tests: a drive wired to a stand-in smartctl and
// the registered defaults of the preferences the log rules read.
#pragma once

#include <string>
#include <vector>

#include "engine/KRSMARTDrive.h"
#include "tests/support/TestPlatform.h"

namespace logs_test {

inline constexpr const char* kDevice = "/dev/sdb";

class DriveStepTest : public testing_support::PlatformTest {
 protected:
  DriveStepTest() {
    // What the monitor registers at start-up, as far as the log rules read it.
    mem.platform.preferences->registerDefaults({
        {"IgnoreAttribute190", "YES"},  {"IgnoreAttribute196", "NO"},     {"RememberBadSectors", "NO"},
        {"CustomBadSectorCount", "NO"}, {"CustomBadSectorCountValue", 0}, {"CustomErrorCount", "NO"},
        {"CustomErrorCountValue", 50},  {"RememberErrorCount", "NO"},     {"FailedTestIsNew", "NO"},
        {"DisplayTempInFahrenheit", "NO"},
    });
    // Commands a test does not answer get an answer with nothing in it.
    fake.defaultAnswer(testing_support::banner() + "=== START OF READ SMART DATA SECTION ===\n");
    drive.setBundlePath(fake.bundlePath());
    drive.setLocation(kDevice);
  }

  platform::Preferences& prefs() { return *mem.platform.preferences; }

  // smartctl answers `args` followed by the device with the banner and `body`.
  void answer(std::vector<std::string> args, const std::string& body,
              const std::string& banner = testing_support::banner()) {
    args.push_back(kDevice);
    fake.answer(args, banner + body);
  }

  testing_support::FakeSmartctl fake{scratch.path()};
  KRSMARTDrive drive;
};

}  // namespace logs_test
