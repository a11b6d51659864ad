// What the drive and parser tests share: smartctl's answers for a typical
// SATA disk, a drive record at /dev/sda wired to a stand-in smartctl, and
// parser settings that keep the parsers' messages.
#pragma once

#include <string>
#include <vector>

#include "engine/KRSMARTDrive.h"
#include "logs/Findings.h"
#include "monitor/RegisteredDefaults.h"
#include "tests/logs/SmartctlSamples.h"
#include "tests/support/TestPlatform.h"

namespace testing_support {

using Args = std::vector<std::string>;

// A drive whose smartctl is a FakeSmartctl, with the preferences registered
// as the monitor registers them.
class DriveTest : public PlatformTest {
 protected:
  DriveTest() {
    mem.platform.preferences->registerDefaults(monitor::registeredDefaults());
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

// smartctl's general SMART values of a typical disk; the numbers that tests
// vary are the offline status byte, the self-test execution status and the
// offline data collection capabilities (tests/support/capabilities.txt).
inline std::string capabilities(const std::string& offlineStatus = "0x82", const std::string& selfTestStatus = "   0",
                                const std::string& dataCapabilities = "0x7b") {
  std::string text = readFile(sourceDir() / "tests/support/capabilities.txt");
  for (const auto& [name, value] :
       {std::pair{"@OFFLINE@", offlineStatus}, {"@SELFTEST@", selfTestStatus}, {"@DATA@", dataCapabilities}})
    text.replace(text.find(name), std::string(name).size(), value);
  return text;
}

}  // namespace testing_support
