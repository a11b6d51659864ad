// The general SMART values of "smartctl -c" (status bytes, capability bits,
// polling times) and the failed-test rule.
#include <array>

#include "logs/Ata.h"
#include "logs/FieldHelpers.h"
#include "platform/Text.h"

namespace logs {

using platform::contains;

namespace {

void applyFailedTestRule(const AtaCapabilities& capabilities, const Settings& settings, Findings& findings) {
  const int32_t result = capabilities.selftestStatus >> 4;
  if (result < 3 || result > 7) return;  // 8, handling damage, is not a failed test here
  if (settings.failedTestIsNew || findings.health == kHealthFailed) return;
  findings.health = kHealthFailing;
  findings.selftestFail = true;
  findings.addFailureReason("Failed selftest status");
  settings.debug("Found Failing selftest status!!");
}

}  // namespace

void parseAtaCapabilities(const OutputLines& lines, const Settings& settings, AtaCapabilities& capabilities,
                          Findings& findings) {
  settings.debug("Parsing capabilities.");
  using C = AtaCapabilities;
  struct Row {
    const char* label;
    const char* secondLabel;  // nullptr: the value is on the label's own line
    void (*store)(C&, const std::string& valueLine);
    const char* message;
  };
  static const std::array<Row, 10> kRows = {{
      {"Offline data collection status:", nullptr,
       [](C& c, const std::string& l) { c.offlineDataStatus = convertStringToHex(l); },
       "Found offline data collection status."},
      {"Self-test execution status:", nullptr,
       [](C& c, const std::string& l) { c.selftestStatus = convertStringToInt(l, true); },
       "Found self-test execution status."},
      {"data collection:", nullptr, [](C& c, const std::string& l) { c.timeOfflineData = convertStringToInt(l, true); },
       "Found offline data collection time."},
      {"Offline data collection",
       "capabilities:", [](C& c, const std::string& l) { c.dataCapabilities = convertStringToHex(l); },
       "Found offline data collection capabilities."},
      {"SMART capabilities:", nullptr, [](C& c, const std::string& l) { c.smartCapabilities = convertStringToHex(l); },
       "Found SMART capabilites."},
      {"Error logging capability:", nullptr,
       [](C& c, const std::string& l) { c.errorLoggingCapabilities = convertStringToHex(l); },
       "Found error logging capability."},
      {"General Purpose Logging", nullptr,
       [](C& c, const std::string& l) { c.generalPurposeLogging = contains(l, "supported."); },
       "Found general purpose logging."},
      {"Short self-test routine", "recommended polling time:",
       [](C& c, const std::string& l) { c.shortSelftestTime = convertStringToInt(l, true); },
       "Found short self-test time."},
      {"Extended self-test routine", "recommended polling time:",
       [](C& c, const std::string& l) { c.longSelftestTime = convertStringToInt(l, true); },
       "Found long self-test time."},
      {"Conveyance self-test routine", "recommended polling time:",
       [](C& c, const std::string& l) { c.conveyanceSelftestTime = convertStringToInt(l, true); },
       "Found conveyance self-test time."},
  }};
  constexpr size_t kSelfTestStatusRow = 1;

  std::array<bool, kRows.size()> found{};
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    for (size_t r = 0; r < kRows.size(); ++r) {
      const Row& row = kRows[r];
      if (found[r] || !contains(line, row.label)) continue;
      const std::string* valueLine = &line;
      if (row.secondLabel) {
        if (i + 1 == lines.size()) {
          if (settings.log) settings.log("Warning: Capabilities did not return all data. Please rescan.");
          return;
        }
        valueLine = &lines[i + 1];
        // "Offline data collection status:" also starts this look-ahead;
        // the row is then found later at its own line.
        if (!contains(*valueLine, row.secondLabel)) continue;
      }
      row.store(capabilities, *valueLine);
      if (r == kSelfTestStatusRow) applyFailedTestRule(capabilities, settings, findings);
      found[r] = true;
      settings.debug(row.message);
    }
  }
  settings.debug("Done parsing capabilites.");
}

}  // namespace logs
