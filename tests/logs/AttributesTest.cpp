// The attribute table's rows and the rules that judge a drive by them.
#include <gtest/gtest.h>

#include <array>
#include <map>

#include "logs/Ata.h"
#include "platform/Format.h"
#include "tests/CaseFile.h"
#include "tests/logs/SmartctlSamples.h"
#include "tests/support/DriveFixture.h"

namespace {

using testing_support::answerLines;
using testing_support::split;

// The cases of tests/logs/attribute-rows.txt.
TEST(AttributeLine, RowsOfSeveralSmartctlVersions) {
  auto text = [](const std::optional<std::string>& s) { return s.value_or("-"); };
  for (const auto& c : testing_support::readCases("logs/attribute-rows.txt")) {
    logs::Settings settings;
    settings.displayTempInFahrenheit = c[0] == "F";
    const KRSMARTAttribute a = logs::parseAttributeLine(c[1], settings);
    const std::string lifetime =
        a.getTemperatureAvailable() ? std::to_string(a.getMin()) + "/" + std::to_string(a.getMax()) : "-";
    EXPECT_EQ((std::vector<std::string>{std::to_string(a.getIDNumber()), text(a.getName()),
                                        platform::format("%#x", a.getFlag()), std::to_string(a.getValue()),
                                        std::to_string(a.getWorst()), std::to_string(a.getThresh()), text(a.getType()),
                                        text(a.getUpdated()), std::to_string(a.getFailed()), std::to_string(a.getRaw()),
                                        lifetime}),
              std::vector<std::string>(c.fields.begin() + 2, c.fields.end()))
        << c.line;
  }
}

TEST(AttributeLine, NamesAndColumnWordsAreLocalized) {
  const std::map<std::pair<std::string, std::string>, std::string> texts = {
      {{"Attributes", "Raw_Read_Error_Rate"}, "Taux d'erreurs de lecture"},
      {{"Attributes", "TempFahr2"}, "Température (F)"},
      {{"Main", "Pre-fail"}, "Pré-défaillance"},
      {{"Main", "Always"}, "Toujours"},
  };
  logs::Settings settings;
  settings.localize = [&](const std::string& table, const std::string& key, const std::string& def) {
    auto it = texts.find({table, key});
    return it == texts.end() ? def : it->second;
  };
  KRSMARTAttribute a = logs::parseAttributeLine(
      "  1 Raw_Read_Error_Rate     0x000f   117   099   006    Pre-fail  Always       -       0", settings);
  EXPECT_EQ(a.getName(), "Taux d'erreurs de lecture");
  EXPECT_EQ(a.getType(), "Pré-défaillance");
  EXPECT_EQ(a.getUpdated(), "Toujours");
  settings.displayTempInFahrenheit = true;
  a = logs::parseAttributeLine(
      "194 Temperature_Celsius     0x0022   036   047   000    Old_age   Always       -       36", settings);
  EXPECT_EQ(a.getName(), "Température (F)");
  EXPECT_EQ(a.getType(), "Old_age");
}

// One attribute row as smartctl 7.3 prints it.
std::string row(int id, const std::string& name, const std::string& whenFailed, const std::string& raw) {
  return platform::format("%3d %-24s0x%04x   %-4s  %-4s  %-4s   %-10s%-9s%-12s%@\n", id, name, 0x33, "100", "100",
                          "010", "Pre-fail", "Always", whenFailed, raw);
}

std::string table(const std::vector<std::string>& rows) {
  std::string t =
      "=== START OF READ SMART DATA SECTION ===\n"
      "SMART Attributes Data Structure revision number: 16\n"
      "Vendor Specific SMART Attributes with Thresholds:\n"
      "ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      UPDATED  WHEN_FAILED RAW_VALUE\n";
  for (const auto& r : rows) t += r;
  return t + "\n";
}

const std::string kNever = "    -";
const std::string k5 = "_LastReallocatedSectorCount";
const std::string k196 = "_LastReallocatedEventCount";
const std::string k197 = "_LastCurrentSectorCount";
const std::string k198 = "_LastOfflineSectorCount";

// The attribute step of a check: the table read after a passed (or failed) assessment.
class AttributeStep : public testing::Test {
 protected:
  void parse(const std::string& body) {
    logs::parseAtaAttributes(answerLines(body), log.settings, remembered, table_, findings);
  }
  std::array<int32_t, 5> flags() const {
    return {findings.reallocatedSectorsFail, findings.reallocatedEventsFail, findings.currentSectorsFail,
            findings.offlineSectorsFail, findings.otherAttributesFail};
  }
  std::vector<std::string> reasons() const { return findings.failureReasons.value_or(std::vector<std::string>{}); }

  testing_support::ParserLog log;
  logs::Remembered remembered;
  logs::AtaAttributeTable table_;
  logs::Findings findings = [] {
    logs::Findings f;
    f.startCheck();
    return f;
  }();
};

// "5=3 197=8" as remembered counts.
std::map<std::string, int64_t> counts(const std::string& text) {
  const std::map<std::string, std::string> keys{{"5", k5}, {"196", k196}, {"197", k197}, {"198", k198}};
  std::map<std::string, int64_t> out;
  for (const std::string& pair : split(text, " "))
    out[keys.at(pair.substr(0, pair.find('=')))] = std::stoll(pair.substr(pair.find('=') + 1));
  return out;
}

// The cases of tests/logs/attribute-rules.txt.
TEST_F(AttributeStep, RulesJudgeTheDrive) {
  const logs::Settings defaults = log.settings;
  for (const auto& c : testing_support::readCases("logs/attribute-rules.txt")) {
    SCOPED_TRACE(c.line);
    log.settings = defaults;
    findings = {};
    findings.startCheck();
    for (const std::string& word : split(c[2], " ")) {
      if (word == "remember") log.settings.rememberBadSectors = true;
      if (word.starts_with("limit=")) log.settings.customBadSectorCount = true;
      if (word.starts_with("limit=") || word.starts_with("value="))
        log.settings.customBadSectorCountValue = std::stoll(word.substr(6));
      if (word == "ignore196") log.settings.ignoreAttribute196 = true;
      if (word == "watch190") log.settings.ignoreAttribute190 = false;
      if (word == "failed") findings.health = logs::kHealthFailed;
    }
    remembered = logs::Remembered(counts(c[3]));
    std::vector<std::string> rows;
    for (const std::string& r : split(c[1], "; ")) {
      const std::vector<std::string> w = split(r, " ");
      rows.push_back(row(std::stoi(w.at(0)), w.at(1), w.at(2) == "-" ? kNever : w.at(2), w.at(3)));
    }
    parse(table(rows));
    EXPECT_EQ(findings.health, std::stoi(c[4]));
    const std::array<int32_t, 5> f = flags();
    EXPECT_EQ(platform::format("%d %d %d %d %d", f[0], f[1], f[2], f[3], f[4]), c[5]);
    EXPECT_EQ(reasons(), split(c[6], "; "));
    EXPECT_EQ(remembered.toStore(), counts(c[7]));
  }
}

TEST_F(AttributeStep, DyingDiskFromItsWholeTable) {
  parse(samples::text("FailingWDAttributes"));
  EXPECT_EQ(table_.count, 11);
  EXPECT_EQ(findings.health, logs::kHealthFailed);
  EXPECT_EQ(flags(), (std::array<int32_t, 5>{3, 1, 1, 1, 1}));
  EXPECT_EQ(reasons(), std::vector<std::string>{"Reallocated bad sector status is failed"});
  EXPECT_EQ(remembered.toStore(),
            (std::map<std::string, int64_t>{{k5, 1834}, {k196, 1203}, {k197, 14}, {k198, 0}}));
  EXPECT_EQ(table_.rawValue(197), 14);
  EXPECT_EQ(table_.rawValue(190), -1);
}

TEST_F(AttributeStep, RawValuesOfSeveralDrives) {
  struct Case {
    const char* sample;
    int32_t count;
    std::map<int32_t, int64_t> raw;  // by attribute number
  } cases[] = {
      {"SeagateAttributes", 24, {{9, 21532}, {190, 36}, {194, 36}, {197, 0}, {198, 0}, {5, 0}, {199, 0}}},
      {"SamsungSSDAttributes", 14, {{9, 21043}, {190, 32}, {194, -1}, {197, -1}, {198, -1}, {5, 0}, {199, 0}}},
  };
  for (const Case& c : cases) {
    parse(samples::text(c.sample));
    EXPECT_EQ(findings.health, logs::kHealthPassed);
    EXPECT_EQ(table_.count, c.count);
    EXPECT_EQ(table_.rows->size(), static_cast<size_t>(c.count));
    for (const auto& [id, raw] : c.raw) EXPECT_EQ(table_.rawValue(id), raw) << id;
  }
}

TEST_F(AttributeStep, OldSmartctlWithLifetimeTemperatures) {
  log.settings.displayTempInFahrenheit = true;
  logs::parseAtaAttributes(KRTask::splitLines(samples::text("OldSmartctlBanner") + samples::text("OldSamsungAttributes")),
                           log.settings, remembered, table_, findings);
  ASSERT_EQ(table_.count, 9);
  EXPECT_EQ(table_.rawValue(194), 96);
  EXPECT_EQ(table_.rawValue(190), 96);
  const KRSMARTAttribute& t = (*table_.rows)[5];
  EXPECT_EQ(t.getName(), "Temperature (F)");
  EXPECT_TRUE(t.getTemperatureAvailable());
  EXPECT_EQ(t.getMin(), 71);
  EXPECT_EQ(t.getMax(), 125);
}

TEST_F(AttributeStep, EachParseReplacesTheTableAndAddsReasons) {
  parse(table({row(5, "Reallocated_Sector_Ct", kNever, "3"), row(9, "Power_On_Hours", kNever, "10")}));
  findings.startCheck();
  parse(table({row(194, "Temperature_Celsius", kNever, "0"), row(194, "Temperature_Celsius", kNever, "41")}));
  EXPECT_EQ(table_.count, 2);
  EXPECT_EQ(table_.rawValue(9), -1);
  EXPECT_EQ(table_.rawValue(194), 0);  // the first row of a number counts
  EXPECT_EQ(findings.health, logs::kHealthPassed);
  findings.startCheck();
  parse(table({row(5, "Reallocated_Sector_Ct", kNever, "4")}));
  EXPECT_EQ(reasons(), (std::vector<std::string>{"Too many reallocated bad sectors", "Too many reallocated bad sectors"}));
}

TEST_F(AttributeStep, RowsStartAfterTheHeadingAndSkipReplayLines) {
  parse("=== START OF READ SMART DATA SECTION ===\n" + row(5, "Reallocated_Sector_Ct", kNever, "7") +
        "ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      UPDATED  WHEN_FAILED RAW_VALUE\n" +
        "REPLAY-IOCTL: DeviceFD=3 Command=SMART SMART_READ_VALUES\n" + row(9, "Power_On_Hours", kNever, "12"));
  EXPECT_EQ(table_.count, 1);
  EXPECT_EQ(table_.rawValue(5), -1);
  EXPECT_EQ(table_.rawValue(9), 12);
  EXPECT_EQ(findings.health, logs::kHealthPassed);
}

TEST_F(AttributeStep, RevisionIsReadEvenWithoutTable) {
  parse(samples::text("SeagateAttributes"));
  EXPECT_EQ(table_.revision, 10);
  parse("=== START OF READ SMART DATA SECTION ===\nSMART Attributes Data Structure revision number: 5\n");
  EXPECT_EQ(table_.revision, 5);
  EXPECT_EQ(table_.count, 0);
}

}  // namespace
