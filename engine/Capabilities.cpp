// The decoders that turn the drive's stored capability bytes into texts
// and flags.
#include <array>

#include "engine/KRSMARTDrive.h"
#include "platform/Format.h"
#include "platform/Platform.h"

namespace {

bool bit(uint32_t value, int n) { return (value >> n) & 1u; }

}  // namespace

std::string KRSMARTDrive::driveOfflineDataCollectionActivity() const {
  auto text = [](const char* key, const char* def) { return platform::localized("Main", key, def); };
  const uint32_t activity = capabilities.offlineDataStatus & 0x7F;
  switch (activity) {
    case 0: return text("ODCANeverStarted", "was never started");
    case 2: return text("ODCANoError", "was completed without error");
    // Activity 3 is "in progress" only as the plain status 3; with any
    // other bit set (131: automatic collection on) it reads as suspended.
    case 3:
      if (capabilities.offlineDataStatus == 3) return text("ODCAInProgress", "is in progress");
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
  const int32_t result = capabilities.selftestStatus >> 4;
  if (result >= 0 && result < static_cast<int32_t>(kResults.size()))
    return platform::localized("Main", kResults[result].key, kResults[result].def);
  if (result == 15) {
    std::string fmt = platform::localized("Main", "STInProgress", "Self-test routine in progress... %d%% of test remaining.");
    return platform::format(fmt, driveSelfTestExecutionRemaining());
  }
  return platform::localized("Main", "STReserved", "Reserved");
}

bool KRSMARTDrive::driveSelfTestExecutionInProgress() const {
  return testInProgress || (capabilities.selftestStatus & ~0xF) == 240;
}

int32_t KRSMARTDrive::driveSelfTestExecutionRemaining() const { return (capabilities.selftestStatus & 0xF) * 10; }

bool KRSMARTDrive::driveAutoOfflineDataCollectionEnable() const { return bit(capabilities.offlineDataStatus, 7); }
bool KRSMARTDrive::driveSMARTExecuteOfflineImmediate() const { return bit(capabilities.dataCapabilities, 0); }
bool KRSMARTDrive::driveAutoOfflineDataCollection() const { return bit(capabilities.dataCapabilities, 1); }
bool KRSMARTDrive::driveAbortOfflineCollection() const { return bit(capabilities.dataCapabilities, 2); }
bool KRSMARTDrive::driveOfflineSurfaceScan() const { return bit(capabilities.dataCapabilities, 3); }
bool KRSMARTDrive::driveSelfTest() const { return bit(capabilities.dataCapabilities, 4); }
bool KRSMARTDrive::driveConveyanceSelfTest() const { return bit(capabilities.dataCapabilities, 5); }
bool KRSMARTDrive::driveSelectiveSelfTest() const { return bit(capabilities.dataCapabilities, 6); }
bool KRSMARTDrive::driveAutoSavingSMARTData() const { return capabilities.smartCapabilities != 0; }
bool KRSMARTDrive::driveSavesSMARTDataPowerSave() const { return bit(capabilities.smartCapabilities, 0); }
bool KRSMARTDrive::driveSMARTAutoSaveTimer() const { return bit(capabilities.smartCapabilities, 1); }
bool KRSMARTDrive::driveErrorLogging() const { return bit(capabilities.errorLoggingCapabilities, 0); }
