// The attribute table's rows and the rules that judge a drive by them.
#include <gtest/gtest.h>

#include <array>
#include <map>

#include "logs/Ata.h"
#include "platform/Format.h"
#include "tests/logs/SmartctlSamples.h"
#include "tests/support/DriveFixture.h"

namespace {

using testing_support::answerLines;

struct Expected {
  int32_t id;
  std::optional<std::string> name;
  uint32_t flag;
  int64_t value, worst, thresh;
  std::optional<std::string> type, updated;
  int32_t failed;
  int64_t raw;
  bool temperature;
  int64_t min = 0, max = 0;
};

TEST(AttributeLine, RowsOfSeveralSmartctlVersions) {
  const struct {
    const char* line;
    bool fahrenheit;
    Expected want;
  } cases[] = {
      // smartctl 7.3, WHEN_FAILED "-", a raw value with more numbers after it
      {"  9 Power_On_Hours          0x0032   076   076   000    Old_age   Always       -       21532 (197 141 0)", false,
       {9, "Power_On_Hours", 0x32, 76, 76, 0, "Old_age", "Always", 1, 21532, false}},
      {"  5 Reallocated_Sector_Ct   0x0033   001   001   140    Pre-fail  Always   FAILING_NOW 1834", false,
       {5, "Reallocated_Sector_Ct", 0x33, 1, 1, 140, "Pre-fail", "Always", 2, 1834, false}},
      {"196 Reallocated_Event_Count 0x0032   001   001   000    Old_age   Always   In_the_past 1203", false,
       {196, "Reallocated_Event_Count", 0x32, 1, 1, 0, "Old_age", "Always", 3, 1203, false}},
      {"240 Head_Flying_Hours       0x0000   100   253   000    Old_age   Offline      -       21487h+38m+52.461s", false,
       {240, "Head_Flying_Hours", 0, 100, 253, 0, "Old_age", "Offline", 1, 21487, false}},
      {"242 Total_LBAs_Read         0x0000   100   253   000    Old_age   Offline      -       120748935622", false,
       {242, "Total_LBAs_Read", 0, 100, 253, 0, "Old_age", "Offline", 1, 120748935622, false}},
      // smartctl 5.x temperature rows with the lifetime range
      {"194 Temperature_Celsius     0x0022   064   056   000    Old_age   Always       -       36 (Lifetime Min/Max 22/52)",
       false, {194, "Temperature_Celsius", 0x22, 64, 56, 0, "Old_age", "Always", 1, 36, true, 22, 52}},
      {"194 Temperature_Celsius     0x0022   064   056   000    Old_age   Always       -       36 (Lifetime Min/Max 22/52)",
       true, {194, "Temperature (F)", 0x22, 64, 56, 0, "Old_age", "Always", 1, 96, true, 71, 125}},
      {"190 Airflow_Temperature_Cel 0x0022   064   059   000    Old_age   Always       -       36 (Lifetime Min/Max 22/41)",
       true, {190, "Temperature (F)", 0x22, 64, 59, 0, "Old_age", "Always", 1, 96, true, 71, 105}},
      // the newer short form is no lifetime range
      {"190 Airflow_Temperature_Cel 0x0022   064   053   045    Old_age   Always       -       36 (Min/Max 24/41)", false,
       {190, "Airflow_Temperature_Cel", 0x22, 64, 53, 45, "Old_age", "Always", 1, 36, false}},
      // Fahrenheit truncates toward zero: -0.4 F is 0, -4 stays -4
      {"194 Temperature_Celsius 0x0022 100 100 000 Old_age Always - -18", true,
       {194, "Temperature (F)", 0x22, 100, 100, 0, "Old_age", "Always", 1, 0, false}},
      {"194 Temperature_Celsius 0x0022 100 100 000 Old_age Always - -20", true,
       {194, "Temperature (F)", 0x22, 100, 100, 0, "Old_age", "Always", 1, -4, false}},
      // other attributes keep name and raw value; a lifetime range converts whatever the number
      {"  9 Power_On_Hours          0x0032   076   076   000    Old_age   Always       -       21532", true,
       {9, "Power_On_Hours", 0x32, 76, 76, 0, "Old_age", "Always", 1, 21532, false}},
      {"231 Temperature_Celsius     0x0022   064   056   000    Old_age   Always       -       36 (Lifetime Min/Max 0/100)",
       true, {231, "Temperature_Celsius", 0x22, 64, 56, 0, "Old_age", "Always", 1, 36, true, 32, 212}},
      // a missing threshold ("---") shifts the word columns by one
      {"  1 Raw_Read_Error_Rate     0x000f   100   100   ---    Pre-fail  Always       -       0", false,
       {1, "Raw_Read_Error_Rate", 0x0f, 100, 100, 0, "---", "Pre-fail", 0, 0, false}},
      // a lifetime range whose second number is missing still counts
      {"194 Temperature_Celsius 0x0022 100 100 000 Old_age Always - 40 (Lifetime Min/Max 20/)", false,
       {194, "Temperature_Celsius", 0x22, 100, 100, 0, "Old_age", "Always", 1, 40, true, 20, 0}},
      // a huge raw value of a temperature attribute cannot overflow
      {"194 Temperature_Celsius 0x0022 100 100 000 Old_age Always - 9223372036854775807", true,
       {194, "Temperature (F)", 0x22, 100, 100, 0, "Old_age", "Always", 1, INT64_MAX, false}},
      // lines that are no rows give what could be read
      {"", false, {0, std::nullopt, 0, 0, 0, 0, std::nullopt, std::nullopt, 0, 0, false}},
      {"Vendor Specific SMART Attributes with Thresholds:", false,
       {0, "Vendor", 0, 0, 0, 0, "Specific", "SMART", 0, 0, false}},
      {"  3 Spin_Up_Time", false, {3, "Spin_Up_Time", 0, 0, 0, 0, std::nullopt, std::nullopt, 0, 0, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    logs::Settings settings;
    settings.displayTempInFahrenheit = c.fahrenheit;
    const KRSMARTAttribute a = logs::parseAttributeLine(c.line, settings);
    const Expected& w = c.want;
    EXPECT_EQ(std::make_tuple(a.getIDNumber(), a.getName(), a.getFlag(), a.getValue(), a.getWorst(), a.getThresh()),
              std::make_tuple(w.id, w.name, w.flag, w.value, w.worst, w.thresh));
    EXPECT_EQ(std::make_tuple(a.getType(), a.getUpdated(), a.getFailed(), a.getRaw()),
              std::make_tuple(w.type, w.updated, w.failed, w.raw));
    EXPECT_EQ(std::make_tuple(a.getTemperatureAvailable(), a.getMin(), a.getMax()),
              std::make_tuple(w.temperature, w.min, w.max));
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

struct RuleCase {
  const char* name;
  std::vector<std::string> rows;
  std::function<void(logs::Settings&)> settings;
  std::map<std::string, int64_t> stored;
  int32_t health;
  std::array<int32_t, 5> flags;  // reallocated sectors, events, current, offline, other
  std::vector<std::string> reasons;
  std::map<std::string, int64_t> toStore;
  bool failedAssessment = false;
};

void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

class AttributeRules : public AttributeStep, public testing::WithParamInterface<RuleCase> {};

TEST_P(AttributeRules, JudgeTheDrive) {
  const RuleCase& c = GetParam();
  if (c.settings) c.settings(log.settings);
  remembered = logs::Remembered(c.stored);
  if (c.failedAssessment) findings.health = logs::kHealthFailed;
  parse(table(c.rows));
  EXPECT_EQ(findings.health, c.health);
  EXPECT_EQ(flags(), c.flags);
  EXPECT_EQ(reasons(), c.reasons);
  EXPECT_EQ(remembered.toStore(), c.toStore);
}

auto remember = [](logs::Settings& s) { s.rememberBadSectors = true; };
auto customLimit = [](logs::Settings& s) {
  s.customBadSectorCount = true;
  s.customBadSectorCountValue = 10;
};

const RuleCase kRuleCases[] = {
    {"HealthyDisk", {row(5, "Reallocated_Sector_Ct", kNever, "0"), row(9, "Power_On_Hours", kNever, "100")}, {}, {},
     1, {1, 1, 1, 1, 1}, {}, {{k5, 0}}},
    {"ReallocatedCountWithDefaults", {row(5, "Reallocated_Sector_Ct", kNever, "3")}, {}, {}, 2, {2, 1, 1, 1, 1},
     {"Too many reallocated bad sectors"}, {{k5, 3}}},
    {"RememberedCountUnchanged", {row(5, "Reallocated_Sector_Ct", kNever, "3")}, remember, {{k5, 3}}, 1,
     {1, 1, 1, 1, 1}, {}, {{k5, 3}}},
    {"RememberedCountGrew", {row(5, "Reallocated_Sector_Ct", kNever, "4")}, remember, {{k5, 3}}, 2, {2, 1, 1, 1, 1},
     {"Too many reallocated bad sectors"}, {{k5, 4}}},
    {"RememberedCountShrank", {row(197, "Current_Pending_Sector", kNever, "2")}, remember, {{k197, 8}}, 1,
     {1, 1, 1, 1, 1}, {}, {{k197, 2}}},
    {"NothingRememberedYetComparesWithZero", {row(198, "Offline_Uncorrectable", kNever, "1")}, remember, {}, 2,
     {1, 1, 1, 2, 1}, {"Too many offline bad sectors"}, {{k198, 1}}},
    {"SecondRowOfOneNumberComparesWithTheFirst",
     {row(5, "Reallocated_Sector_Ct", kNever, "4"), row(5, "Reallocated_Sector_Ct", kNever, "4")}, remember, {}, 2,
     {2, 1, 1, 1, 1}, {"Too many reallocated bad sectors"}, {{k5, 4}}},
    {"MillionIsNoCount", {row(197, "Current_Pending_Sector", kNever, "1000000")}, {}, {}, 1, {1, 1, 1, 1, 1}, {},
     {{k197, 1000000}}},
    {"JustBelowAMillionCounts", {row(197, "Current_Pending_Sector", kNever, "999999")}, {}, {}, 2, {1, 1, 2, 1, 1},
     {"Too many current bad sectors"}, {{k197, 999999}}},
    {"CustomLimitReached", {row(197, "Current_Pending_Sector", kNever, "10")}, customLimit, {}, 1, {1, 1, 1, 1, 1},
     {}, {{k197, 10}}},
    {"CustomLimitExceeded", {row(197, "Current_Pending_Sector", kNever, "11")}, customLimit, {}, 2,
     {1, 1, 2, 1, 1}, {"Too many current bad sectors"}, {{k197, 11}}},
    {"CustomLimitValueIgnoredWhenOff", {row(197, "Current_Pending_Sector", kNever, "5")},
     [](logs::Settings& s) { s.customBadSectorCountValue = 10; }, {}, 2, {1, 1, 2, 1, 1},
     {"Too many current bad sectors"}, {{k197, 5}}},
    {"ReallocationEvents", {row(196, "Reallocated_Event_Count", kNever, "5")}, {}, {}, 2, {1, 2, 1, 1, 1},
     {"Too many reallocated events"}, {{k196, 5}}},
    {"IgnoredEventsStillRemembered", {row(196, "Reallocated_Event_Count", "FAILING_NOW", "5")},
     [](logs::Settings& s) { s.ignoreAttribute196 = true; }, {}, 1, {1, 1, 1, 1, 1}, {}, {{k196, 5}}},
    {"AirflowFailingIgnoredByDefault", {row(190, "Airflow_Temperature_Cel", "FAILING_NOW", "70")}, {}, {}, 1,
     {1, 1, 1, 1, 1}, {}, {}},
    {"AirflowFailingWhenWatched", {row(190, "Airflow_Temperature_Cel", "FAILING_NOW", "70")},
     [](logs::Settings& s) { s.ignoreAttribute190 = false; }, {}, 3, {1, 1, 1, 1, 3},
     {"Attribute 190 status is failed"}, {}},
    {"AirflowPastWhenWatched", {row(190, "Airflow_Temperature_Cel", "In_the_past", "40")},
     [](logs::Settings& s) { s.ignoreAttribute190 = false; }, {}, 2, {1, 1, 1, 1, 2},
     {"Attribute 190 status is failed in the past"}, {}},
    {"TemperatureFailingNow", {row(194, "Temperature_Celsius", "FAILING_NOW", "70")}, {}, {}, 3, {1, 1, 1, 1, 3},
     {"Attribute 194 failed"}, {}},
    {"FailingNowBeatsTheCount", {row(5, "Reallocated_Sector_Ct", "FAILING_NOW", "8")}, {}, {}, 3, {3, 1, 1, 1, 1},
     {"Reallocated bad sector status is failed"}, {{k5, 8}}},
    {"EachAreaFailingNow",
     {row(196, "Reallocated_Event_Count", "FAILING_NOW", "0"), row(197, "Current_Pending_Sector", "FAILING_NOW", "0"),
      row(198, "Offline_Uncorrectable", "FAILING_NOW", "0")},
     {}, {}, 3, {1, 3, 3, 3, 1},
     {"Reallocated event status is failed", "Current bad sectors status is failed",
      "Offline bad sector status is failed"},
     {{k196, 0}, {k197, 0}, {k198, 0}}},
    {"EachAreaFailedInThePast",
     {row(5, "Reallocated_Sector_Ct", "In_the_past", "0"), row(196, "Reallocated_Event_Count", "In_the_past", "0"),
      row(197, "Current_Pending_Sector", "In_the_past", "0"), row(198, "Offline_Uncorrectable", "In_the_past", "0"),
      row(7, "Seek_Error_Rate", "In_the_past", "0")},
     {}, {}, 2, {2, 2, 2, 2, 2},
     {"Reallocated bad sector status failed in the past", "Reallocated event status failed in the past",
      "Current bad sector status failed in the past", "Offline bad sector status failed in the past",
      "Attribute 7 failed in the past"},
     {{k5, 0}, {k196, 0}, {k197, 0}, {k198, 0}}},
    {"PastAfterFailingNowAddsNothing",
     {row(1, "Raw_Read_Error_Rate", "FAILING_NOW", "0"), row(3, "Spin_Up_Time", "In_the_past", "0")}, {}, {}, 3,
     {1, 1, 1, 1, 3}, {"Attribute 1 failed"}, {}},
    {"FailedAssessmentGetsNoCountReasons",
     {row(5, "Reallocated_Sector_Ct", kNever, "3"), row(3, "Spin_Up_Time", "In_the_past", "0")}, {}, {}, 3,
     {1, 1, 1, 1, 1}, {}, {{k5, 3}}, true},
};

INSTANTIATE_TEST_SUITE_P(Cases, AttributeRules, testing::ValuesIn(kRuleCases),
                         [](const testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

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

TEST_F(AttributeStep, DebugMessages) {
  parse(table({row(190, "Airflow_Temperature_Cel", "FAILING_NOW", "70"), row(9, "Power_On_Hours", "In_the_past", "1"),
               row(197, "Current_Pending_Sector", kNever, "2")}));
  for (const char* m : {"Parsing attributes.", "Found SMART attributes data structure revision.", "Found attribute.",
                        "Found failed attribute!!", "Found failing in the past attribute!!",
                        "Found too many current bad sectors!!!", "Done parsing attributes"})
    EXPECT_TRUE(log.contains(m)) << m;
  EXPECT_EQ(reasons(), (std::vector<std::string>{"Attribute 9 failed in the past", "Too many current bad sectors"}));
}

TEST_F(AttributeStep, RevisionIsReadEvenWithoutTable) {
  parse(samples::text("SeagateAttributes"));
  EXPECT_EQ(table_.revision, 10);
  parse("=== START OF READ SMART DATA SECTION ===\nSMART Attributes Data Structure revision number: 5\n");
  EXPECT_EQ(table_.revision, 5);
  EXPECT_EQ(table_.count, 0);
}

}  // namespace
