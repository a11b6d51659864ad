#include "monitor/RegisteredDefaults.h"

#include <unistd.h>

#include <climits>

#include "platform/PreferenceKeys.h"

namespace monitor {

std::string currentHostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0 || !*name) return "localhost";
  return name;
}

platform::PlistValue::Dict registeredDefaults() {
  using namespace platform::keys;
  return {
      {kAutoExpandDrives, "YES"},
      {kOutputDebugMessages, "NO"},
      {kShowUnsupportedDrives, "NO"},
      {kIgnoreAttribute190, "YES"},
      {kIgnoreAttribute196, "NO"},
      {kRememberErrorCount, "NO"},
      {kRememberBadSectors, "NO"},
      {kDisplayTempInFahrenheit, "NO"},
      {kCustomBadSectorCount, "NO"},
      {kCustomErrorCount, "NO"},
      {kCustomBadSectorCountValue, 0},
      {kCustomErrorCountValue, 50},
      {kPollDrives, "YES"},
      {kPollingInterval, 3600},
      {kFailedTestIsNew, "NO"},
      {kSmartctlTimeout, 120},
      {kNVMeWearLimit, 100},
      {kWakeSleepingDrives, "NO"},
      {kGrowlDrivePassed, "YES"},
      {kGrowlDriveFailing, "YES"},
      {kGrowlDriveFailed, "YES"},
      {kGrowlTestCompleted, "YES"},
      {kEmailDrivePassed, "NO"},
      {kEmailDriveFailing, "NO"},
      {kEmailDriveFailed, "NO"},
      {kEmailTestCompleted, "NO"},
      {kEmailHostName, currentHostName()},
      {kEmailFromAddress, ""},
      {kEmailToAddress, ""},
      {kEmailSMTPAddress, ""},
      {kEmailAuthenticationType, 0},
      {kEmailUsername, ""},
      {kEmailPassword, ""},
      {kEmailCustomPort, "25"},
      {kEmailSSL, "NO"},
  };
}

}  // namespace monitor
