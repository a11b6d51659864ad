#include <gtest/gtest.h>

#include "logs/NvmeRules.h"
#include "tests/kinds/CaptureFiles.h"
#include "tests/kinds/RuleCases.h"

namespace {

using kinds_test::Counts;
using kinds_test::keys;
using testing_support::readCases;

// The findings, and in `stored` the counts left to remember.
kinds::Findings judge(const std::vector<std::string>& lines, const logs::Settings& settings = {},
                      const Counts& remembered = {}, Counts* stored = nullptr) {
  logs::Remembered counts(remembered);
  kinds::Findings f = nvme::evaluate(nvme::parseReport(lines), settings, counts);
  if (stored) *stored = counts.toStore();
  return f;
}

template <typename T>
std::string text(const std::optional<T>& v) {
  if (!v) return "-";
  if constexpr (std::is_same_v<T, std::string>) return *v;
  else return std::to_string(*v);
}

TEST(NvmeRules, VerdictsOnRealAnswers) {
  for (const auto& c : readCases("kinds/rules.txt", "nvme-verdict")) {
    for (const auto& lines : {kinds_test::runnerLines(c[0]), kinds_test::printedLines(kinds_test::capture(c[0]))}) {
      const kinds::Findings f = judge(lines);
      EXPECT_EQ(std::to_string(f.health) + " | " + keys(f.reasons) + " | " + keys(f.notes),
                c[1] + " | " + c[2] + " | " + c[3])
          << c.line;
    }
  }
}

TEST(NvmeRules, RecordsReadFromRealAnswers) {
  for (const auto& c : readCases("kinds/rules.txt", "nvme-record")) {
    const nvme::Report r = nvme::parseReport(kinds_test::runnerLines(c[0]));
    const nvme::HealthLog& h = r.health;
    EXPECT_EQ(std::vector<std::string>(
                  {text(r.identity.model), text(r.identity.capacity), text(r.identity.capacityBytes),
                   text(h.temperature) + " " + text(h.availableSpare) + " " + text(h.availableSpareThreshold) + " " +
                       text(h.percentageUsed) + " " + text(h.dataUnitsRead) + " " + text(h.powerOnHours) + " " +
                       text(h.powerCycles) + " " + text(h.unsafeShutdowns) + " " + text(h.mediaErrors) + " " +
                       text(h.errorLogEntries)}),
              std::vector<std::string>(c.fields.begin() + 1, c.fields.end()))
        << c.line;
  }
}

TEST(NvmeRules, LogsOfRealAnswers) {
  const nvme::Report failed =
      nvme::parseReport(kinds_test::runnerLines("nvme/smartctl-7.2-CT4000P3PSSD8-failed-spare.txt"));
  EXPECT_EQ(failed.identity.nvmeVersion, "1.4");
  EXPECT_EQ(failed.identity.serialNumber, "xxxxxxxxx");
  EXPECT_EQ(failed.health.criticalWarning, 0x09u);
  EXPECT_EQ(failed.health.dataUnitsWrittenText, "14.7 TB");
  EXPECT_EQ(failed.verdict.explanations, (std::vector<std::string>{"available spare has fallen below threshold",
                                                                   "media has been placed in read only mode"}));
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
  EXPECT_TRUE(
      nvme::parseErrorLog(kinds_test::runnerLines("nvme/smartctl-7.4-980PRO-read-selftest-failed.txt")).noErrors);
}

// Hand-made lines for the cases no real answer shows.
std::vector<std::string> healthLog(const std::string& warning, const std::string& spare = "100%",
                                   const std::string& temperature = "35 Celsius") {
  return {"SMART/Health Information (NVMe Log 0x02)",
          "Critical Warning:                   " + warning,
          "Temperature:                        " + temperature,
          "Available Spare:                    " + spare,
          "Available Spare Threshold:          10%",
          "Percentage Used:                    3%",
          "Media and Data Integrity Errors:    0"};
}

TEST(NvmeRules, WarningBitsSpareAndMissingAnswers) {
  for (const auto& c : readCases("kinds/rules.txt", "nvme-warning")) {
    std::vector<std::string> lines = testing_support::split(c[1]);
    if (c[2] != "-")
      for (const std::string& l : healthLog(c[2], c[3], c[4])) lines.push_back(l);
    const kinds::Findings f = judge(lines);
    EXPECT_EQ(std::to_string(f.health) + " | " + keys(f.reasons) + " | " + keys(f.notes),
              c[5] + " | " + c[6] + " | " + c[7])
        << c.line;
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
  for (const auto& c : readCases("kinds/rules.txt", "nvme-wear")) {
    Counts stored, remembered;
    if (c[2] != "-") remembered["_LastMediaErrorCount"] = std::stoll(c[2]);
    const kinds::Findings f = judge(worn, kinds_test::settings(c[1]), remembered, &stored);
    const std::string found = " " + keys(f.reasons) + " ";
    EXPECT_EQ(found.find(" NVMeWearLimitReached ") != std::string::npos, c[3] == "yes") << c.line;
    EXPECT_EQ(found.find(" NVMeMediaErrors ") != std::string::npos, c[4] == "yes") << c.line;
    EXPECT_EQ(f.health, logs::kHealthFailing) << c.line;  // the failed self-test stays
    EXPECT_EQ(stored, (Counts{{"_LastMediaErrorCount", 12}})) << c.line;
  }
  EXPECT_EQ(judge(worn).reasonTexts().front(), "Percentage used (104%) has reached the wear limit (100%)");
  EXPECT_EQ(judge(worn).reasonTexts().back(), "Newest self-test failed: Completed: failed segments");
}

}  // namespace
