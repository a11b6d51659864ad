// Starting and aborting a drive's own self-test, and the bookkeeping in
// the preferences that tells when a started test should be over.
#include <chrono>

#include "engine/KRSMARTDrive.h"
#include "platform/Format.h"
#include "platform/Platform.h"
#include "platform/PreferenceKeys.h"
#include "platform/Text.h"

namespace {

using platform::contains;

platform::Date now() {
  using namespace std::chrono;
  return {duration<double>(system_clock::now().time_since_epoch()).count()};
}

}  // namespace

uint64_t KRSMARTDrive::runSelfTest(uint64_t code) {
  const platform::Date started = now();
  std::optional<logs::OutputLines> lines = runStep(code, "Error running self test.");
  if (!lines) return 0;
  debug(platform::format("Running self test: %lu", code));
  if (lines->empty()) return 2;

  const std::string device = location.value_or("");
  bool begun = false;
  for (const std::string& line : *lines) {
    // "Testing has begun" (ATA), "Self-test has begun" (NVMe): looked for
    // first, it wins over a "failed" elsewhere in the same line. The command
    // line may start a test before any check told the drive's kind.
    if (contains(line, "Testing has begun") || contains(line, "Self-test has begun") ||
        contains(line, "Self Test has begun")) {
      begun = true;
      break;
    }
    if (contains(line, "failed")) return 2;
    if (contains(line, "without aborting current test")) return 3;
    if (contains(line, "Self-testing aborted") || contains(line, "Self-test aborted!")) {
      platform::prefs().removeObject(device + "_TestEndTime");
      testInProgress = false;
      return 1;
    }
  }
  if (!begun) return 2;

  auto& prefs = platform::prefs();
  if (code == kArgShortTest || code == kArgExtendedTest) {
    const int32_t minutes = code == kArgExtendedTest ? capabilities.longSelftestTime : capabilities.shortSelftestTime;
    prefs.setDate(device + "_TestEndTime", {started.secondsSince1970 + minutes * 60.0});
    prefs.setInteger(device + "_TestRunTime", minutes);
  }
  if (driveAbortOfflineCollection()) {
    prefs.setInteger(platform::keys::kTestsInProgress, prefs.integerForKey(platform::keys::kTestsInProgress) + 1);
    testInProgress = true;
  }
  prefs.setInteger(device + "_TestType", static_cast<int64_t>(code));
  debug("Starting test.");
  return 1;
}

bool KRSMARTDrive::stopSelfTest() {
  if (driveAbortOfflineCollection()) {
    auto& prefs = platform::prefs();
    const int64_t running = prefs.integerForKey(platform::keys::kTestsInProgress);
    prefs.setInteger(platform::keys::kTestsInProgress, running > 0 ? running - 1 : 0);
    testInProgress = false;
  }
  return runSelfTest(kArgAbortTest) == 1;
}
