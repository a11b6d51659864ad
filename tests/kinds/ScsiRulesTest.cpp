#include <gtest/gtest.h>

#include "logs/ScsiRules.h"
#include "tests/kinds/CaptureFiles.h"
#include "tests/kinds/RuleCases.h"

namespace {

using kinds_test::Counts;
using kinds_test::keys;
using testing_support::readCases;

// The findings, and in `stored` the counts left to remember.
kinds::Findings judge(const std::string& file, const logs::Settings& settings = {}, const Counts& remembered = {},
                      Counts* stored = nullptr) {
  logs::Remembered counts(remembered);
  kinds::Findings f = scsi::evaluate(scsi::parseReport(kinds_test::runnerLines(file)), settings, counts);
  if (stored) *stored = counts.toStore();
  return f;
}

TEST(ScsiRules, VerdictsOnRealAnswers) {
  for (const auto& c : readCases("kinds/rules.txt", "scsi-verdict")) {
    const kinds::Findings f = judge(c[0]);
    EXPECT_EQ(std::to_string(f.health) + " | " + keys(f.reasons), c[1] + " | " + c[2]) << c.line;
    if (c[3] != "*") {
      EXPECT_EQ(keys(f.notes), c[3]) << c.line;
    }
  }
  EXPECT_EQ(judge("scsi/smartctl-5.41-ST3300657SS-failure-prediction.txt").reasonTexts(),
            std::vector<std::string>{"FAILURE PREDICTION THRESHOLD EXCEEDED"});
  Counts stored;
  judge("scsi/smartctl-5.41-ST3300657SS-failure-prediction.txt", {}, {}, &stored);
  EXPECT_EQ(stored, (Counts{{"_LastGrownDefectCount", 2066},
                            {"_LastUncorrectedReadCount", 2},
                            {"_LastUncorrectedWriteCount", 1},
                            {"_LastUncorrectedVerifyCount", 0}}));
}

TEST(ScsiRules, RecordsReadFromRealAnswers) {
  const scsi::Report hgst = scsi::parseReport(kinds_test::runnerLines("scsi/smartctl-6.6-HUH721212AL5204-ok.txt"));
  EXPECT_EQ(hgst.identity.model(), "HGST HUH721212AL5204");
  EXPECT_EQ(hgst.identity.revision, "C3Q1");
  EXPECT_EQ(hgst.identity.serialNumber, "8HJ39K3H");
  EXPECT_EQ(hgst.identity.capacity, "12.0 TB");
  EXPECT_EQ(hgst.identity.capacityBytes, 12000138625024u);
  EXPECT_EQ(hgst.identity.transport, "SAS (SPL-3)");
  EXPECT_EQ(hgst.identity.smartAvailable, true);
  EXPECT_EQ(hgst.counters.temperature, 34);
  EXPECT_EQ(hgst.counters.tripTemperature, 85);
  EXPECT_EQ(hgst.counters.startStopCycles, 7u);
  EXPECT_EQ(hgst.counters.grownDefects, 0u);
  EXPECT_FALSE(hgst.errors.present);

  const scsi::Report old =
      scsi::parseReport(kinds_test::runnerLines("scsi/smartctl-5.41-ST3300657SS-failure-prediction.txt"));
  EXPECT_EQ(old.identity.model(), "SEAGATE ST3300657SS");  // the product's trailing blanks go
  EXPECT_EQ(old.health.text, "FAILURE PREDICTION THRESHOLD EXCEEDED [asc=5d, ascq=0]");
  EXPECT_EQ(old.counters.powerOnHours, 8347u);  // from the factory page
  EXPECT_EQ(old.errors.uncorrected("read"), 2u);
  EXPECT_EQ(old.errors.uncorrected("write"), 1u);
  EXPECT_EQ(old.errors.rows[0].gigabytesProcessed, "4260.902");
  EXPECT_TRUE(old.selfTests.noTests);
  EXPECT_EQ(old.selfTests.extendedTestSeconds, 3200u);

  // Tab-indented headings as a monitoring project's fixture keeps them.
  const scsi::Report tabs =
      scsi::parseReport(kinds_test::runnerLines("scsi/smartctl-7.0-HUSMM1616ASS204-error-counter-log.txt"));
  ASSERT_EQ(tabs.errors.rows.size(), 3u);
  EXPECT_EQ(tabs.errors.uncorrected("verify"), 0u);
  EXPECT_EQ(tabs.errors.nonMediumErrors, 0u);
  EXPECT_EQ(tabs.counters.percentageUsedEndurance, 0);
  EXPECT_EQ(tabs.identity.rotationRate, "Solid State Device");

  const scsi::Report sas =
      scsi::parseReport(kinds_test::runnerLines("scsi/handmade-7.3-SAS-x-defects-uncorrected-selftest.txt"));
  EXPECT_EQ(sas.counters.powerOnHours, 42154u);
  EXPECT_EQ(sas.counters.powerOnMinutes, 23u);
  EXPECT_EQ(sas.counters.grownDefects, 195u);
  EXPECT_EQ(sas.errors.nonMediumErrors, 12u);
  ASSERT_EQ(sas.selfTests.entries.size(), 2u);
  EXPECT_TRUE(sas.selfTests.entries[0].failed);  // shown, not judged
  EXPECT_FALSE(sas.selfTests.entries[1].failed);

  const scsi::SelfTestLog log =
      scsi::parseSelfTestLog(kinds_test::runnerLines("scsi/fragment-selftest-failed-in-segment.txt"));
  ASSERT_EQ(log.entries.size(), 2u);
  EXPECT_EQ(log.entries[0].number, 1u);
  EXPECT_EQ(log.entries[0].description, "Background long");
  EXPECT_EQ(log.entries[0].status, "Failed in segment");
  EXPECT_EQ(log.entries[0].segment, "3");
  EXPECT_EQ(log.entries[0].lifetimeHours, 47877u);
  EXPECT_EQ(log.entries[0].firstErrorLba, "-");
  EXPECT_EQ(log.entries[0].sense, "[0x1 0xb 0x97]");
  EXPECT_EQ(log.entries[1].firstErrorLba, "764900874");
}

TEST(ScsiRules, DefectsAndUncorrectedErrorsFollowThePreferences) {
  for (const auto& c : readCases("kinds/rules.txt", "scsi-defects")) {
    Counts stored, remembered;
    if (c[2] != "-") {
      const std::vector<std::string> counts = testing_support::split(c[2], " ");
      remembered = {{"_LastGrownDefectCount", std::stoll(counts.at(0))},
                    {"_LastUncorrectedReadCount", std::stoll(counts.at(1))}};
    }
    const kinds::Findings f = judge("scsi/handmade-7.3-SAS-x-defects-uncorrected-selftest.txt",
                                    kinds_test::settings(c[1]), remembered, &stored);
    EXPECT_EQ(std::to_string(f.health) + " | " + keys(f.reasons), c[3] + " | " + c[4]) << c.line;
    EXPECT_EQ(stored.size(), 4u) << c.line;
  }
}

}  // namespace
