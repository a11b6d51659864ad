// Starting and aborting a drive's own self-test, and the bookkeeping in
// the preferences that tells when a started test should be over.
#include <chrono>

#include "engine/KRSMARTDrive.h"
#include "platform/Format.h"
#include "platform/Platform.h"

namespace {

bool contains(const std::string& s, const char* what) { return s.find(what) != std::string::npos; }

platform::Date now() {
  using namespace std::chrono;
  return {duration<double>(system_clock::now().time_since_epoch()).count()};
}

const char* kTestsInProgress = "TestsInProgress";

}  // namespace

uint64_t KRSMARTDrive::runSelfTest(uint64_t code) {
  const platform::Date started = now();
  argumentCode = code;
  std::optional<OutputLines> lines = runSMARTbinary(false);
  if (!lines) {
    debug("Error running self test.");
    return 0;
  }
  debug(platform::format("Running self test: %lu", code));
  if (lines->empty()) return 2;

  const std::string device = location.value_or("");
  bool begun = false;
  for (const std::string& line : *lines) {
    // "Testing has begun" is looked for first: it wins over a "failed"
    // elsewhere in the same line.
    if (contains(line, "Testing has begun")) {
      begun = true;
      break;
    }
    if (contains(line, "failed")) return 2;
    if (contains(line, "without aborting current test")) return 3;
    if (contains(line, "Self-testing aborted")) {
      platform::prefs().removeObject(device + "_TestEndTime");
      testInProgress = false;
      return 1;
    }
  }
  if (!begun) return 2;

  auto& prefs = platform::prefs();
  if (code == kArgShortTest || code == kArgExtendedTest) {
    const int32_t minutes = code == kArgExtendedTest ? longSelftestTime : shortSelftestTime;
    prefs.setDate(device + "_TestEndTime", {started.secondsSince1970 + minutes * 60.0});
    prefs.setInteger(device + "_TestRunTime", minutes);
  }
  if (driveAbortOfflineCollection()) {
    prefs.setInteger(kTestsInProgress, prefs.integerForKey(kTestsInProgress) + 1);
    testInProgress = true;
  }
  prefs.setInteger(device + "_TestType", static_cast<int64_t>(code));
  debug("Starting test.");
  return 1;
}

bool KRSMARTDrive::stopSelfTest() {
  if (driveAbortOfflineCollection()) {
    auto& prefs = platform::prefs();
    const int64_t running = prefs.integerForKey(kTestsInProgress);
    prefs.setInteger(kTestsInProgress, running > 0 ? running - 1 : 0);
    testInProgress = false;
  }
  return runSelfTest(kArgAbortTest) == 1;
}
