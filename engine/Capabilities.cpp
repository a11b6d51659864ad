// parseCapabilities: the general SMART values of "smartctl -c" (status
// bytes, capability bits, polling times), the failed-test rule, and the
// decoders that turn the stored bytes into texts and flags.
#include <array>

#include "engine/KRSMARTDrive.h"
#include "platform/Format.h"
#include "platform/Platform.h"

namespace {

bool contains(const std::string& s, const char* what) { return s.find(what) != std::string::npos; }

bool bit(uint32_t value, int n) { return (value >> n) & 1u; }

}  // namespace

void KRSMARTDrive::parseCapabilities() {
  argumentCode = kArgCapabilities;
  std::optional<OutputLines> lines = runSMARTbinary(false);
  if (!lines) {
    debug("Error parsing capabilities.");
    return;
  }
  debug("Parsing capabilities.");
  testInProgress = false;

  struct Row {
    const char* label;
    const char* secondLabel;  // nullptr: the value is on the label's own line
    void (*store)(KRSMARTDrive&, const std::string& valueLine);
    const char* message;
  };
  static const std::array<Row, 10> kRows = {{
      {"Offline data collection status:", nullptr,
       [](KRSMARTDrive& d, const std::string& l) { d.offlineDataStatus = convertStringToHex(l); },
       "Found offline data collection status."},
      {"Self-test execution status:", nullptr,
       [](KRSMARTDrive& d, const std::string& l) {
         d.selftestStatus = convertStringToInt(l, true);
         d.applyFailedTestRule();
       },
       "Found self-test execution status."},
      {"data collection:", nullptr,
       [](KRSMARTDrive& d, const std::string& l) { d.timeOfflineData = convertStringToInt(l, true); },
       "Found offline data collection time."},
      {"Offline data collection", "capabilities:",
       [](KRSMARTDrive& d, const std::string& l) { d.dataCapabilities = convertStringToHex(l); },
       "Found offline data collection capabilities."},
      {"SMART capabilities:", nullptr,
       [](KRSMARTDrive& d, const std::string& l) { d.smartCapabilities = convertStringToHex(l); },
       "Found SMART capabilites."},
      {"Error logging capability:", nullptr,
       [](KRSMARTDrive& d, const std::string& l) { d.errorLoggingCapabilities = convertStringToHex(l); },
       "Found error logging capability."},
      {"General Purpose Logging", nullptr,
       [](KRSMARTDrive& d, const std::string& l) { d.generalPurposeLogging = contains(l, "supported."); },
       "Found general purpose logging."},
      {"Short self-test routine", "recommended polling time:",
       [](KRSMARTDrive& d, const std::string& l) { d.shortSelftestTime = convertStringToInt(l, true); },
       "Found short self-test time."},
      {"Extended self-test routine", "recommended polling time:",
       [](KRSMARTDrive& d, const std::string& l) { d.longSelftestTime = convertStringToInt(l, true); },
       "Found long self-test time."},
      {"Conveyance self-test routine", "recommended polling time:",
       [](KRSMARTDrive& d, const std::string& l) { d.conveyanceSelftestTime = convertStringToInt(l, true); },
       "Found conveyance self-test time."},
  }};

  std::array<bool, kRows.size()> found{};
  for (size_t i = 0; i < lines->size(); ++i) {
    const std::string& line = (*lines)[i];
    for (size_t r = 0; r < kRows.size(); ++r) {
      const Row& row = kRows[r];
      if (found[r] || !contains(line, row.label)) continue;
      const std::string* valueLine = &line;
      if (row.secondLabel) {
        if (i + 1 == lines->size()) {
          platform::log("Warning: Capabilities did not return all data. Please rescan.");
          return;
        }
        valueLine = &(*lines)[i + 1];
        // "Offline data collection status:" also starts this look-ahead;
        // the row is then found later at its own line.
        if (!contains(*valueLine, row.secondLabel)) continue;
      }
      row.store(*this, *valueLine);
      found[r] = true;
      debug(row.message);
    }
  }
  debug("Done parsing capabilites.");
}

void KRSMARTDrive::applyFailedTestRule() {
  const int32_t result = selftestStatus >> 4;
  if (result < 3 || result > 7) return;  // 8, handling damage, is not a failed test here
  if (platform::prefs().boolForKey("FailedTestIsNew") || health == kHealthFailed) return;
  health = kHealthFailing;
  selftestFail = true;
  addFailureReasonsString("Failed selftest status");
  debug("Found Failing selftest status!!");
}

std::string KRSMARTDrive::driveOfflineDataCollectionActivity() const {
  auto text = [](const char* key, const char* def) { return platform::localized("Main", key, def); };
  const uint32_t activity = offlineDataStatus & 0x7F;
  switch (activity) {
    case 0: return text("ODCANeverStarted", "was never started");
    case 2: return text("ODCANoError", "was completed without error");
    // Activity 3 is "in progress" only as the plain status 3; with any
    // other bit set (131: automatic collection on) it reads as suspended.
    case 3:
      if (offlineDataStatus == 3) return text("ODCAInProgress", "is in progress");
      [[fallthrough]];
    case 4: return text("ODCASuspendedCommand", "was suspended by an interrupting command from host");
    case 5: return text("ODCAAbortedCommand", "was aborted by an interrupting command from host");
    case 6: return text("ODCAAbortedDevice", "was aborted by the device with a fatal error");
    default:
      if (activity >= 64) return text("ODCAVenderSpecific", "is in a Vendor Specific state");
      return text("ODCAReserved", "is in a Reserved state");
  }
}

std::string KRSMARTDrive::driveSelfTestExecution() const {
  struct Entry {
    const char* key;
    const char* def;
  };
  static const std::array<Entry, 9> kResults = {{
      {"STNoError", "The previous self-test routine completed without error or no self-test has ever been run."},
      {"STHostAborted", "The self-test routine was aborted by the host."},
      {"STHostInterrupted", "The self-test routine was interrupted by the host with a hard or soft reset."},
      {"STUnknownError",
       "A fatal error or unknown test error occurred while the device was executing its self-test routine and the "
       "device was unable to complete the self-test routine."},
      {"STTestElementFailure",
       "The previous self-test completed having a test element that failed and the test element that failed is not "
       "known."},
      {"STElectricalElementFailure", "The previous self-test completed having the electrical element of the test failed."},
      {"STServoElementFailure",
       "The previous self-test completed having the servo (and/or seek) element of the test failed."},
      {"STReadElementFailure", "The previous self-test completed having the read element of the test failed."},
      {"STHandlingDamage",
       "The previous self-test completed having a test element that failed and the device is suspected of having "
       "handling damage."},
  }};
  const int32_t result = selftestStatus >> 4;
  if (result >= 0 && result < static_cast<int32_t>(kResults.size()))
    return platform::localized("Main", kResults[result].key, kResults[result].def);
  if (result == 15) {
    std::string fmt = platform::localized("Main", "STInProgress", "Self-test routine in progress... %d%% of test remaining.");
    return platform::format(fmt, driveSelfTestExecutionRemaining());
  }
  return platform::localized("Main", "STReserved", "Reserved");
}

bool KRSMARTDrive::driveSelfTestExecutionInProgress() const {
  return testInProgress || (selftestStatus & ~0xF) == 240;
}

int32_t KRSMARTDrive::driveSelfTestExecutionRemaining() const { return (selftestStatus & 0xF) * 10; }

bool KRSMARTDrive::driveAutoOfflineDataCollectionEnable() const { return bit(offlineDataStatus, 7); }
bool KRSMARTDrive::driveSMARTExecuteOfflineImmediate() const { return bit(dataCapabilities, 0); }
bool KRSMARTDrive::driveAutoOfflineDataCollection() const { return bit(dataCapabilities, 1); }
bool KRSMARTDrive::driveAbortOfflineCollection() const { return bit(dataCapabilities, 2); }
bool KRSMARTDrive::driveOfflineSurfaceScan() const { return bit(dataCapabilities, 3); }
bool KRSMARTDrive::driveSelfTest() const { return bit(dataCapabilities, 4); }
bool KRSMARTDrive::driveConveyanceSelfTest() const { return bit(dataCapabilities, 5); }
bool KRSMARTDrive::driveSelectiveSelfTest() const { return bit(dataCapabilities, 6); }
bool KRSMARTDrive::driveAutoSavingSMARTData() const { return smartCapabilities != 0; }
bool KRSMARTDrive::driveSavesSMARTDataPowerSave() const { return bit(smartCapabilities, 0); }
bool KRSMARTDrive::driveSMARTAutoSaveTimer() const { return bit(smartCapabilities, 1); }
bool KRSMARTDrive::driveErrorLogging() const { return bit(errorLoggingCapabilities, 0); }
