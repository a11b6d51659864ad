#include "monitor/PreferenceKeys.h"

#include <unistd.h>

#include <climits>

std::string currentHostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0 || !*name) return "localhost";
  return name;
}

platform::PlistValue::Dict registeredDefaults() {
  return {
      {"AutoExpandDrives", "YES"},
      {"OutputDebugMessages", "NO"},
      {"ShowUnsupportedDrives", "NO"},
      {"IgnoreAttribute190", "YES"},
      {"IgnoreAttribute196", "NO"},
      {"RememberErrorCount", "NO"},
      {"RememberBadSectors", "NO"},
      {"DisplayTempInFahrenheit", "NO"},
      {"CustomBadSectorCount", "NO"},
      {"CustomErrorCount", "NO"},
      {"CustomBadSectorCountValue", 0},
      {"CustomErrorCountValue", 50},
      {"PollDrives", "YES"},
      {"PollingInterval", 3600},
      {"FailedTestIsNew", "NO"},
      {"GrowlDrivePassed", "YES"},
      {"GrowlDriveFailing", "YES"},
      {"GrowlDriveFailed", "YES"},
      {"GrowlTestCompleted", "YES"},
      {"EmailDrivePassed", "NO"},
      {"EmailDriveFailing", "NO"},
      {"EmailDriveFailed", "NO"},
      {"EmailTestCompleted", "NO"},
      {"EmailHostName", currentHostName()},
      {"EmailFromAddress", ""},
      {"EmailToAddress", ""},
      {"EmailSMTPAddress", ""},
      {"EmailAuthenticationType", 0},
      {"EmailUsername", ""},
      {"EmailPassword", ""},
      {"EmailCustomPort", "25"},
      {"EmailSSL", "NO"},
  };
}
