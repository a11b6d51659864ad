// What the drive and parser tests share: smartctl's answers for a typical
// SATA disk, a drive record at /dev/sda wired to a stand-in smartctl, and
// parser settings that keep the parsers' messages.
#pragma once

#include <string>
#include <vector>

#include "engine/KRSMARTDrive.h"
#include "logs/Findings.h"
#include "tests/logs/SmartctlSamples.h"
#include "tests/support/TestPlatform.h"

namespace testing_support {

using Args = std::vector<std::string>;

// A drive whose smartctl is a FakeSmartctl, with the preferences the rules
// read registered as the monitor registers them.
class DriveTest : public PlatformTest {
 protected:
  DriveTest() {
    mem.platform.preferences->registerDefaults({
        {"IgnoreAttribute190", "YES"},
        {"IgnoreAttribute196", "NO"},
        {"RememberBadSectors", "NO"},
        {"CustomBadSectorCount", "NO"},
        {"CustomBadSectorCountValue", 0},
        {"CustomErrorCount", "NO"},
        {"CustomErrorCountValue", 50},
        {"RememberErrorCount", "NO"},
        {"FailedTestIsNew", "NO"},
        {"DisplayTempInFahrenheit", "NO"},
    });
    drive.setLocation("/dev/sda");
    drive.setBundlePath(fake.bundlePath());
  }
  // Prepares smartctl's answer (banner included) for exactly these arguments.
  void answer(const Args& args, const std::string& body) { fake.answer(args, banner() + body); }
  platform::Preferences& prefs() { return *mem.platform.preferences; }

  FakeSmartctl fake{scratch.path()};
  KRSMARTDrive drive;
};

// The lines the runner hands a parser for smartctl's answer `body`.
inline logs::OutputLines answerLines(const std::string& body) { return KRTask::splitLines(banner() + body); }

// Parser settings as registered at start-up, with debug messages on and
// every message kept.
struct ParserLog {
  ParserLog() {
    settings.outputDebugMessages = true;
    settings.log = [this](const std::string& m) { messages.push_back(m); };
  }
  ParserLog(const ParserLog&) = delete;
  ParserLog& operator=(const ParserLog&) = delete;
  bool contains(const std::string& message) const {
    for (const std::string& m : messages)
      if (m.find(message) != std::string::npos) return true;
    return false;
  }

  logs::Settings settings;
  std::vector<std::string> messages;
};


inline const std::string kHealthPassed =
    "=== START OF READ SMART DATA SECTION ===\n"
    "SMART overall-health self-assessment test result: PASSED\n\n";

// General SMART values; the two numbers in parentheses that tests vary
// most are the offline status byte and the self-test execution status.
inline std::string capabilities(const std::string& offlineStatus = "0x82", const std::string& selfTestStatus = "   0",
                                const std::string& dataCapabilities = "0x7b") {
  return "=== START OF READ SMART DATA SECTION ===\n"
         "General SMART Values:\n"
         "Offline data collection status:  (" +
         offlineStatus +
         ")\tOffline data collection activity\n"
         "\t\t\t\t\twas completed without error.\n"
         "\t\t\t\t\tAuto Offline Data Collection: Enabled.\n"
         "Self-test execution status:      (" +
         selfTestStatus +
         ")\tThe previous self-test routine completed\n"
         "\t\t\t\t\twithout error or no self-test has ever \n"
         "\t\t\t\t\tbeen run.\n"
         "Total time to complete Offline \n"
         "data collection: \t\t( 7380) seconds.\n"
         "Offline data collection\n"
         "capabilities: \t\t\t (" +
         dataCapabilities +
         ") SMART execute Offline immediate.\n"
         "\t\t\t\t\tAuto Offline data collection on/off support.\n"
         "\t\t\t\t\tSuspend Offline collection upon new\n"
         "\t\t\t\t\tcommand.\n"
         "\t\t\t\t\tOffline surface scan supported.\n"
         "\t\t\t\t\tSelf-test supported.\n"
         "SMART capabilities:            (0x0003)\tSaves SMART data before entering\n"
         "\t\t\t\t\tpower-saving mode.\n"
         "\t\t\t\t\tSupports SMART auto save timer.\n"
         "Error logging capability:        (0x01)\tError logging supported.\n"
         "\t\t\t\t\tGeneral Purpose Logging supported.\n"
         "Short self-test routine \n"
         "recommended polling time: \t (   2) minutes.\n"
         "Extended self-test routine\n"
         "recommended polling time: \t (  76) minutes.\n"
         "Conveyance self-test routine\n"
         "recommended polling time: \t (   5) minutes.\n"
         "SCT capabilities: \t       (0x3037)\tSCT Status supported.\n\n";
}

}  // namespace testing_support
