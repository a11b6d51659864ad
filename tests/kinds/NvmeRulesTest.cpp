#include <gtest/gtest.h>

#include "logs/NvmeRules.h"
#include "tests/kinds/CaptureFiles.h"
#include "tests/kinds/RuleCases.h"

namespace {

using kinds_test::Counts;
using kinds_test::keys;
using kinds_test::Prefs;

// The findings, and in `stored` the counts left to remember.
kinds::Findings judge(const std::vector<std::string>& lines, const logs::Settings& settings = {},
                      const Counts& remembered = {}, Counts* stored = nullptr) {
  logs::Remembered counts(remembered);
  kinds::Findings f = nvme::evaluate(nvme::parseReport(lines), settings, counts);
  if (stored) *stored = counts.toStore();
  return f;
}

TEST(NvmeRules, VerdictsOnRealAnswers) {
  struct Case {
    const char* file;
    int32_t health;
    std::vector<std::string> reasons;
    std::vector<std::string> notes;
  };
  const Case cases[] = {
      {"nvme/smartctl-7.2-CT4000P3PSSD8-failed-spare.txt", logs::kHealthFailed,
       {"NVMeSpareBelowThreshold", "NVMeReadOnly"}, {}},
      {"nvme/handmade-7.2-CT4000P3PSSD8-crlf.txt", logs::kHealthFailed, {"NVMeSpareBelowThreshold", "NVMeReadOnly"}, {}},
      // smartctl 6.5 said PASSED, but its warning byte names a spare below threshold and read-only media
      {"nvme/smartctl-6.5-TS128GMTE850-warning-09.txt", logs::kHealthFailed, {"NVMeSpareBelowThreshold", "NVMeReadOnly"}, {}},
      {"nvme/smartctl-7.0-MZVLB512HAJQ-H-failed.txt", logs::kHealthFailed, {"NVMeReliabilityDegraded"}, {}},
      // A worn drive that sets the reliability bit is failed; its wear adds no reason.
      {"nvme/fragment-MZVL2512HCJQ-used-100.txt", logs::kHealthFailed, {"NVMeReliabilityDegraded"}, {}},
      {"nvme/handmade-7.4-980PRO-worn-media-errors-selftest-failed.txt", logs::kHealthFailing,
       {"NVMeWearLimitReached", "NVMeMediaErrors", "NVMeSelfTestFailed"}, {}},
      // Thousands of harmless entries in the error information log judge nothing.
      {"nvme/smartctl-7.3-960PRO-error-entries.txt", logs::kHealthPassed, {}, {}},
      {"nvme/handmade-7.3-960PRO-narrow-nbsp.txt", logs::kHealthPassed, {}, {}},
      {"nvme/smartctl-7.1-KUS020203M-error-log.txt", logs::kHealthPassed, {}, {}},
      {"nvme/smartctl-6.6-intel-A-blank-separators.txt", logs::kHealthPassed, {}, {}},
      {"nvme/smartctl-7.4-G325E1TB-x-selftest-empty.txt", logs::kHealthPassed, {}, {}},
      {"nvme/smartctl-7.4-980PRO-read-selftest-failed.txt", logs::kHealthPassed, {}, {"NVMeSelfTestLogUnreadable"}},
      {"nvme/smartctl-7.4-APPLE-error-log-read-failed.txt", logs::kHealthPassed, {}, {"NVMeErrorLogUnreadable"}},
      // No health answer at all, but a failed self-test outranks that.
      {"nvme/handmade-7.5-MZVLB256HAHQ-selftest-failed-segments.txt", logs::kHealthFailing, {"NVMeSelfTestFailed"}, {}},
      {"nvme/handmade-7.5-990PRO-selftest-passed.txt", logs::kHealthUnknown, {}, {"NVMeNoHealthAnswer"}},
      {"nvme/smartctl-7.0-MZVLB512HAJQ-i-dot-separators.txt", logs::kHealthUnknown, {}, {"NVMeNoHealthAnswer"}},
  };
  for (const Case& c : cases) {
    for (const auto& lines : {kinds_test::runnerLines(c.file), kinds_test::printedLines(kinds_test::capture(c.file))}) {
      const kinds::Findings f = judge(lines);
      EXPECT_EQ(f.health, c.health) << c.file;
      EXPECT_EQ(keys(f.reasons), c.reasons) << c.file;
      EXPECT_EQ(keys(f.notes), c.notes) << c.file;
    }
  }
}

TEST(NvmeRules, RecordsReadFromRealAnswers) {
  struct Case {
    const char* file;
    const char* model;
    const char* capacity;
    std::optional<uint64_t> capacityBytes;
    std::optional<int32_t> temperature, spare, threshold, used;
    std::optional<uint64_t> dataUnitsRead, powerOnHours, powerCycles, unsafeShutdowns, mediaErrors, errorLogEntries;
  };
  const Case cases[] = {
      {"nvme/smartctl-7.2-CT4000P3PSSD8-failed-spare.txt", "CT4000P3PSSD8", "4.00 TB", 4000787030016, 40, 0, 5, 1,
       46954492, 1103, 395, 40, 0, 4662},
      {"nvme/handmade-7.2-CT4000P3PSSD8-crlf.txt", "CT4000P3PSSD8", "4.00 TB", 4000787030016, 40, 0, 5, 1, 46954492,
       1103, 395, 40, 0, 4662},
      {"nvme/smartctl-7.3-960PRO-error-entries.txt", "Samsung SSD 960 PRO 2TB", "2.04 TB", 2048408248320, 27, 100, 10,
       0, 24836201, 1878, 1521, 187, 0, 5312},
      {"nvme/handmade-7.3-960PRO-narrow-nbsp.txt", "Samsung SSD 960 PRO 2TB", "2.04 TB", 2048408248320, 27, 100, 10, 0,
       24836201, 1878, 1521, 187, 0, 5312},
      {"nvme/smartctl-7.0-MZVLB512HAJQ-i-dot-separators.txt", "SAMSUNG MZVLB512HAJQ-00000", "512 GB", 512110190592,
       {}, {}, {}, {}, {}, {}, {}, {}, {}, {}},
      {"nvme/smartctl-6.6-intel-A-blank-separators.txt", nullptr, nullptr, {}, 28, 100, 10, 0, 837355, 403, 20, 3, 0, 0},
      {"nvme/smartctl-6.5-TS128GMTE850-warning-09.txt", "TS128GMTE850", "128 GB", 128035676160, 38, 100, 10, 16,
       11836935, 6038, 472, 355, 0, 119699},
      {"nvme/smartctl-7.4-APPLE-error-log-read-failed.txt", "APPLE SSD AP0256Z", nullptr, {}, 32, 100, 99, 2,
       107103479, 870, 151, 9, 0, 0},
      {"nvme/handmade-7.4-980PRO-worn-media-errors-selftest-failed.txt", "Samsung 980 PRO with Heatsink 2TB", "2.00 TB",
       2000398934016, 52, 100, 10, 104, 72474102, 5077, 876, 289, 12, 0},
  };
  for (const Case& c : cases) {
    const nvme::Report r = nvme::parseReport(kinds_test::runnerLines(c.file));
    EXPECT_EQ(r.identity.model, c.model ? std::optional<std::string>(c.model) : std::nullopt) << c.file;
    EXPECT_EQ(r.identity.capacity, c.capacity ? std::optional<std::string>(c.capacity) : std::nullopt) << c.file;
    EXPECT_EQ(r.identity.capacityBytes, c.capacityBytes) << c.file;
    EXPECT_EQ(r.health.temperature, c.temperature) << c.file;
    EXPECT_EQ(r.health.availableSpare, c.spare) << c.file;
    EXPECT_EQ(r.health.availableSpareThreshold, c.threshold) << c.file;
    EXPECT_EQ(r.health.percentageUsed, c.used) << c.file;
    EXPECT_EQ(r.health.dataUnitsRead, c.dataUnitsRead) << c.file;
    EXPECT_EQ(r.health.powerOnHours, c.powerOnHours) << c.file;
    EXPECT_EQ(r.health.powerCycles, c.powerCycles) << c.file;
    EXPECT_EQ(r.health.unsafeShutdowns, c.unsafeShutdowns) << c.file;
    EXPECT_EQ(r.health.mediaErrors, c.mediaErrors) << c.file;
    EXPECT_EQ(r.health.errorLogEntries, c.errorLogEntries) << c.file;
  }
}

TEST(NvmeRules, LogsOfRealAnswers) {
  const nvme::Report failed = nvme::parseReport(kinds_test::runnerLines("nvme/smartctl-7.2-CT4000P3PSSD8-failed-spare.txt"));
  EXPECT_EQ(failed.identity.nvmeVersion, "1.4");
  EXPECT_EQ(failed.identity.serialNumber, "xxxxxxxxx");
  EXPECT_EQ(failed.health.criticalWarning, 0x09u);
  EXPECT_EQ(failed.health.dataUnitsWrittenText, "14.7 TB");
  EXPECT_EQ(failed.verdict.explanations,
            (std::vector<std::string>{"available spare has fallen below threshold", "media has been placed in read only mode"}));
  ASSERT_EQ(failed.errors.entries.size(), 16u);
  EXPECT_EQ(failed.errors.entries[0].errorCount, 4662u);
  EXPECT_EQ(failed.errors.entries[0].status, "0x4041");
  EXPECT_EQ(failed.errors.entries[15].lba, "7814035120");

  const nvme::SelfTestLog worn =
      nvme::parseSelfTestLog(kinds_test::runnerLines("nvme/handmade-7.4-980PRO-worn-media-errors-selftest-failed.txt"));
  ASSERT_EQ(worn.entries.size(), 3u);
  EXPECT_EQ(worn.currentStatus, "No self-test in progress");
  EXPECT_EQ(worn.entries[0].type, "Short");
  EXPECT_EQ(worn.entries[0].status, "Completed: failed segments");
  EXPECT_EQ(worn.entries[0].powerOnHours, 5077u);
  EXPECT_EQ(worn.entries[0].failingLba, 1953792u);
  EXPECT_TRUE(worn.entries[0].failed);
  EXPECT_FALSE(worn.entries[2].failed);  // an aborted test is no failure

  const nvme::SelfTestLog running =
      nvme::parseSelfTestLog(kinds_test::runnerLines("nvme/handmade-7.5-MZVLB256HAHQ-selftest-failed-segments.txt"));
  EXPECT_EQ(running.currentStatus, "Short self-test in progress");
  EXPECT_EQ(running.percentCompleted, 20);
  ASSERT_EQ(running.entries.size(), 2u);
  EXPECT_EQ(running.entries[0].powerOnHours, 49373u);
  EXPECT_EQ(running.entries[0].failingLba, std::nullopt);

  const nvme::ErrorLog appleErrors =
      nvme::parseErrorLog(kinds_test::runnerLines("nvme/smartctl-7.4-APPLE-error-log-read-failed.txt"));
  EXPECT_EQ(appleErrors.readFailure,
            "Read 1 entries from Error Information Log failed: GetLogPage failed: system=0x38, sub=0x0, code=745");
  EXPECT_TRUE(nvme::parseErrorLog(kinds_test::runnerLines("nvme/smartctl-7.4-980PRO-read-selftest-failed.txt")).noErrors);
}

// Hand-made lines for the cases no real answer shows.
std::vector<std::string> healthLog(const std::string& warning, const std::string& spare = "100%",
                                   const std::string& temperature = "35 Celsius") {
  return {"SMART/Health Information (NVMe Log 0x02)", "Critical Warning:                   " + warning,
          "Temperature:                        " + temperature, "Available Spare:                    " + spare,
          "Available Spare Threshold:          10%", "Percentage Used:                    3%",
          "Media and Data Integrity Errors:    0"};
}

TEST(NvmeRules, WarningBitsSpareAndMissingAnswers) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    int32_t health;
    std::vector<std::string> reasons;
    std::vector<std::string> notes;
  };
  std::vector<std::string> tempVerdict = {"SMART overall-health self-assessment test result: FAILED!",
                                          "- temperature is above or below threshold"};
  for (const std::string& l : healthLog("0x02")) tempVerdict.push_back(l);
  const Case cases[] = {
      {"temperature bit alone", healthLog("0x02"), logs::kHealthFailing, {"NVMeTemperatureWarning"}, {}},
      {"smartctl's FAILED! for the temperature alone", tempVerdict, logs::kHealthFailing, {"NVMeTemperatureWarning"}, {}},
      {"temperature with reliability", healthLog("0x06"), logs::kHealthFailed, {"NVMeReliabilityDegraded"}, {}},
      {"volatile backup", healthLog("0x10"), logs::kHealthFailed, {"NVMeVolatileBackupFailed"}, {}},
      {"persistent memory", healthLog("0x20"), logs::kHealthFailed, {"NVMePersistentMemoryReadOnly"}, {}},
      {"reserved bit", healthLog("0x40"), logs::kHealthFailed, {"NVMeUnknownCriticalWarning"}, {}},
      {"spare below threshold without the bit", healthLog("0x00", "5%"), logs::kHealthFailed, {"NVMeSpareBelowThreshold"}, {}},
      {"spare at its threshold", healthLog("0x00", "10%"), logs::kHealthPassed, {}, {}},
      {"temperature not reported", healthLog("0x00", "100%", "-"), logs::kHealthPassed, {}, {}},
      {"FAILED! without explanations",
       {"SMART overall-health self-assessment test result: FAILED!"}, logs::kHealthFailed, {"NVMeHealthFailed"}, {}},
      {"unreadable health log",
       {"Read NVMe SMART/Health Information failed: NVMe Status 0x4002"}, logs::kHealthUnknown, {},
       {"NVMeHealthLogUnreadable"}},
      {"nothing", {}, logs::kHealthUnknown, {}, {"NVMeNoHealthAnswer"}},
  };
  for (const Case& c : cases) {
    const kinds::Findings f = judge(c.lines);
    EXPECT_EQ(f.health, c.health) << c.name;
    EXPECT_EQ(keys(f.reasons), c.reasons) << c.name;
    EXPECT_EQ(keys(f.notes), c.notes) << c.name;
  }
  EXPECT_EQ(judge(healthLog("0xc1")).reasonTexts(),
            (std::vector<std::string>{"Available spare has fallen below its threshold",
                                      "Unknown critical warning bits are set (0xc0)"}));
  EXPECT_EQ(judge({"Read NVMe SMART/Health Information failed: NVMe Status 0x4002"}).notes.at(0).text(),
            "Read NVMe SMART/Health Information failed: NVMe Status 0x4002");
  EXPECT_FALSE(nvme::parseHealthLog(healthLog("0x00", "100%", "-")).temperature);
  EXPECT_TRUE(nvme::parseHealthLog(healthLog("0x00", "100%", "-")).temperatureReported);
}

TEST(NvmeRules, WearLimitAndMediaErrorsFollowThePreferences) {
  const auto worn = kinds_test::runnerLines("nvme/handmade-7.4-980PRO-worn-media-errors-selftest-failed.txt");
  auto has = [](const kinds::Findings& f, const std::string& key) {
    for (const kinds::Reason& r : f.reasons)
      if (r.key == key) return true;
    return false;
  };
  struct Case {
    const char* name;
    Prefs settings;
    Counts remembered;
    bool wear, media;
  };
  const Case cases[] = {
      {"defaults", {}, {}, true, true},
      {"wear limit above the use", {.nvmeWearLimit = 105}, {}, false, true},
      {"wear limit at the use", {.nvmeWearLimit = 104}, {}, true, true},
      {"wear rule off", {.nvmeWearLimit = 0}, {}, false, true},
      {"remembered the same count", {.rememberBadSectors = true}, {{"_LastMediaErrorCount", 12}}, true, false},
      {"remembered fewer", {.rememberBadSectors = true}, {{"_LastMediaErrorCount", 11}}, true, true},
      {"nothing remembered yet", {.rememberBadSectors = true}, {}, true, true},
      {"remembered count ignored when off", {}, {{"_LastMediaErrorCount", 12}}, true, true},
      {"custom limit at the count", {.customBadSectorCount = true, .customBadSectorCountValue = 12}, {}, true, false},
      {"custom limit below the count", {.customBadSectorCount = true, .customBadSectorCountValue = 11}, {}, true, true},
  };
  for (const Case& c : cases) {
    Counts stored;
    const kinds::Findings f = judge(worn, c.settings, c.remembered, &stored);
    EXPECT_EQ(has(f, "NVMeWearLimitReached"), c.wear) << c.name;
    EXPECT_EQ(has(f, "NVMeMediaErrors"), c.media) << c.name;
    EXPECT_EQ(f.health, logs::kHealthFailing) << c.name;  // the failed self-test stays
    EXPECT_EQ(stored, (Counts{{"_LastMediaErrorCount", 12}})) << c.name;
  }
  EXPECT_EQ(judge(worn).reasonTexts().front(), "Percentage used (104%) has reached the wear limit (100%)");
  EXPECT_EQ(judge(worn).reasonTexts().back(), "Newest self-test failed: Completed: failed segments");
}

}  // namespace
