#include "support/CrashCheck.h"

#include <chrono>

#include "platform/Platform.h"
#include "platform/PreferenceKeys.h"
#include "support/CrashLogSearch.h"
#include "support/CrashReportText.h"
#include "support/SystemInformation.h"

namespace support {

namespace {
constexpr const char* kLastReportKey = platform::keys::kLastCrashReportDate;
}

std::string crashLogFolder() { return platform::bundle().logsFolder + "/CrashReports"; }

float lastCrashReportDate() { return platform::prefs().floatForKey(kLastReportKey); }

void markCrashReportsHandled() {
  using namespace std::chrono;
  double now = duration<double>(system_clock::now().time_since_epoch()).count();
  platform::prefs().setFloat(kLastReportKey, static_cast<float>(now));
  platform::prefs().synchronize();
}

std::optional<std::string> newCrashReportText(const std::string& applicationName, const std::string& folder) {
  auto log = PXFindNewestCrashLog(applicationName, folder);
  if (!log) return std::nullopt;
  auto modified = modificationTime(*log);
  if (!modified || !(static_cast<double>(lastCrashReportDate()) < *modified)) return std::nullopt;

  std::string report = lastReportPiece(readUtf8File(*log));
  auto& prefs = platform::prefs();
  return crashReportText(orNull(MachineModelName()), CPUCount(), CPUClockSpeedMHz(), report,
                         domainDescription(prefs.persistentDomain(prefs.ownDomain())));
}

}  // namespace support
