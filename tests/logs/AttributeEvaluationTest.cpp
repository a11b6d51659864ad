#include <gtest/gtest.h>

#include <array>
#include <map>

#include "platform/Format.h"
#include "tests/logs/LogTestSupport.h"
#include "tests/logs/SmartctlSamples.h"

namespace {

using logs_test::DriveStepTest;
using platform::PlistValue;

const char* kHealthPassed = "=== START OF READ SMART DATA SECTION ===\n"
                            "SMART overall-health self-assessment test result: PASSED\n\n";
const char* kHealthFailed = "=== START OF READ SMART DATA SECTION ===\n"
                            "SMART overall-health self-assessment test result: FAILED!\n"
                            "Drive failure expected in less than 24 hours. SAVE ALL DATA.\n\n";

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

// The update cycle around the attribute step: health first, the logs empty.
class AttributeStep : public DriveStepTest {
 protected:
  AttributeStep() {
    answer({"-H"}, kHealthPassed);
    answer({"-l", "error"}, samples::kNoErrorsLog);
    answer({"-l", "selftest"}, samples::kNoSelfTestsLog);
  }
  void update(const std::string& attributeTable) {
    answer({"-A"}, attributeTable);
    drive.updateInfo();
  }
  std::vector<std::string> reasons() { return drive.getFailureReasonsText().value_or(std::vector<std::string>{}); }
  std::array<int32_t, 5> flags() {
    return {drive.driveReallocatedSectorsFail(), drive.driveReallocatedEventsFail(), drive.driveCurrentSectorsFail(),
            drive.driveOfflineSectorsFail(), drive.driveOtherAttributesFail()};
  }
};

struct RuleCase {
  const char* name;
  std::vector<std::string> rows;
  std::map<std::string, PlistValue> prefs;  // set before the update, remembered counts included
  int32_t health;
  std::array<int32_t, 5> flags;  // reallocated sectors, events, current, offline, other
  std::vector<std::string> reasons;
  std::map<std::string, int64_t> remembered;
  bool failedAssessment = false;
};

void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

class AttributeRules : public AttributeStep, public testing::WithParamInterface<RuleCase> {};

TEST_P(AttributeRules, JudgeTheDrive) {
  const RuleCase& c = GetParam();
  for (const auto& [key, value] : c.prefs) prefs().setObject(key, value);
  if (c.failedAssessment) answer({"-H"}, kHealthFailed);
  drive.setDebugState(true);
  update(table(c.rows));
  EXPECT_EQ(drive.driveHealth(), c.health);
  EXPECT_EQ(flags(), c.flags);
  EXPECT_EQ(reasons(), c.reasons);
  for (const auto& [key, value] : c.remembered) {
    EXPECT_EQ(prefs().objectForKey(key).has_value(), true) << key;
    EXPECT_EQ(prefs().integerForKey(key), value) << key;
  }
}

const std::string k5 = "/dev/sdb_LastReallocatedSectorCount";
const std::string k196 = "/dev/sdb_LastReallocatedEventCount";
const std::string k197 = "/dev/sdb_LastCurrentSectorCount";
const std::string k198 = "/dev/sdb_LastOfflineSectorCount";

const RuleCase kRuleCases[] = {
    {"HealthyDisk", {row(5, "Reallocated_Sector_Ct", kNever, "0"), row(9, "Power_On_Hours", kNever, "100")}, {},
     1, {1, 1, 1, 1, 1}, {}, {{k5, 0}}},
    {"ReallocatedCountWithDefaults", {row(5, "Reallocated_Sector_Ct", kNever, "3")}, {},
     2, {2, 1, 1, 1, 1}, {"Too many reallocated bad sectors"}, {{k5, 3}}},
    {"RememberedCountUnchanged", {row(5, "Reallocated_Sector_Ct", kNever, "3")},
     {{"RememberBadSectors", true}, {k5, 3}}, 1, {1, 1, 1, 1, 1}, {}, {{k5, 3}}},
    {"RememberedCountGrew", {row(5, "Reallocated_Sector_Ct", kNever, "4")},
     {{"RememberBadSectors", true}, {k5, 3}}, 2, {2, 1, 1, 1, 1}, {"Too many reallocated bad sectors"}, {{k5, 4}}},
    {"RememberedCountShrank", {row(197, "Current_Pending_Sector", kNever, "2")},
     {{"RememberBadSectors", true}, {k197, 8}}, 1, {1, 1, 1, 1, 1}, {}, {{k197, 2}}},
    {"NothingRememberedYetComparesWithZero", {row(198, "Offline_Uncorrectable", kNever, "1")},
     {{"RememberBadSectors", true}}, 2, {1, 1, 1, 2, 1}, {"Too many offline bad sectors"}, {{k198, 1}}},
    {"MillionIsNoCount", {row(197, "Current_Pending_Sector", kNever, "1000000")}, {},
     1, {1, 1, 1, 1, 1}, {}, {{k197, 1000000}}},
    {"JustBelowAMillionCounts", {row(197, "Current_Pending_Sector", kNever, "999999")}, {},
     2, {1, 1, 2, 1, 1}, {"Too many current bad sectors"}, {{k197, 999999}}},
    {"CustomLimitReached", {row(197, "Current_Pending_Sector", kNever, "10")},
     {{"CustomBadSectorCount", true}, {"CustomBadSectorCountValue", 10}}, 1, {1, 1, 1, 1, 1}, {}, {{k197, 10}}},
    {"CustomLimitExceeded", {row(197, "Current_Pending_Sector", kNever, "11")},
     {{"CustomBadSectorCount", true}, {"CustomBadSectorCountValue", 10}},
     2, {1, 1, 2, 1, 1}, {"Too many current bad sectors"}, {{k197, 11}}},
    {"CustomLimitValueIgnoredWhenOff", {row(197, "Current_Pending_Sector", kNever, "5")},
     {{"CustomBadSectorCountValue", 10}}, 2, {1, 1, 2, 1, 1}, {"Too many current bad sectors"}, {}},
    {"ReallocationEvents", {row(196, "Reallocated_Event_Count", kNever, "5")}, {},
     2, {1, 2, 1, 1, 1}, {"Too many reallocated events"}, {{k196, 5}}},
    {"IgnoredEventsStillRemembered", {row(196, "Reallocated_Event_Count", "FAILING_NOW", "5")},
     {{"IgnoreAttribute196", true}}, 1, {1, 1, 1, 1, 1}, {}, {{k196, 5}}},
    {"AirflowFailingIgnoredByDefault", {row(190, "Airflow_Temperature_Cel", "FAILING_NOW", "70")}, {},
     1, {1, 1, 1, 1, 1}, {}, {}},
    {"AirflowFailingWhenWatched", {row(190, "Airflow_Temperature_Cel", "FAILING_NOW", "70")},
     {{"IgnoreAttribute190", false}}, 3, {1, 1, 1, 1, 3}, {"Attribute 190 status is failed"}, {}},
    {"AirflowPastWhenWatched", {row(190, "Airflow_Temperature_Cel", "In_the_past", "40")},
     {{"IgnoreAttribute190", false}}, 2, {1, 1, 1, 1, 2}, {"Attribute 190 status is failed in the past"}, {}},
    {"TemperatureFailingNow", {row(194, "Temperature_Celsius", "FAILING_NOW", "70")}, {},
     3, {1, 1, 1, 1, 3}, {"Attribute 194 failed"}, {}},
    {"FailingNowBeatsTheCount", {row(5, "Reallocated_Sector_Ct", "FAILING_NOW", "8")}, {},
     3, {3, 1, 1, 1, 1}, {"Reallocated bad sector status is failed"}, {{k5, 8}}},
    {"EachAreaFailingNow",
     {row(196, "Reallocated_Event_Count", "FAILING_NOW", "0"), row(197, "Current_Pending_Sector", "FAILING_NOW", "0"),
      row(198, "Offline_Uncorrectable", "FAILING_NOW", "0")},
     {}, 3, {1, 3, 3, 3, 1},
     {"Reallocated event status is failed", "Current bad sectors status is failed",
      "Offline bad sector status is failed"}, {}},
    {"EachAreaFailedInThePast",
     {row(5, "Reallocated_Sector_Ct", "In_the_past", "0"), row(196, "Reallocated_Event_Count", "In_the_past", "0"),
      row(197, "Current_Pending_Sector", "In_the_past", "0"), row(198, "Offline_Uncorrectable", "In_the_past", "0"),
      row(7, "Seek_Error_Rate", "In_the_past", "0")},
     {}, 2, {2, 2, 2, 2, 2},
     {"Reallocated bad sector status failed in the past", "Reallocated event status failed in the past",
      "Current bad sector status failed in the past", "Offline bad sector status failed in the past",
      "Attribute 7 failed in the past"}, {}},
    {"PastAfterFailingNowAddsNothing",
     {row(1, "Raw_Read_Error_Rate", "FAILING_NOW", "0"), row(3, "Spin_Up_Time", "In_the_past", "0")}, {},
     3, {1, 1, 1, 1, 3}, {"Attribute 1 failed"}, {}},
    {"FailedAssessmentGetsNoCountReasons",
     {row(5, "Reallocated_Sector_Ct", kNever, "3"), row(3, "Spin_Up_Time", "In_the_past", "0")}, {},
     3, {1, 1, 1, 1, 1}, {}, {{k5, 3}}, true},
};

INSTANTIATE_TEST_SUITE_P(Cases, AttributeRules, testing::ValuesIn(kRuleCases),
                         [](const testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

TEST_F(AttributeStep, CountsAreRememberedUnderTheSerialNumber) {
  answer({"-i"}, "=== START OF INFORMATION SECTION ===\n"
                 "Device Model:     WDC WD5000AAKX-00ERMA0\n"
                 "Serial Number:    WD-WCC2EUA12345\n");
  update(table({row(5, "Reallocated_Sector_Ct", kNever, "3"), row(198, "Offline_Uncorrectable", kNever, "1")}));
  ASSERT_EQ(drive.driveSerialNumber(), "WD-WCC2EUA12345");
  EXPECT_EQ(prefs().integerForKey("WD-WCC2EUA12345_LastReallocatedSectorCount"), 3);
  EXPECT_EQ(prefs().integerForKey("WD-WCC2EUA12345_LastOfflineSectorCount"), 1);
  EXPECT_FALSE(prefs().objectForKey(k5));
}

TEST_F(AttributeStep, DyingDiskFromItsWholeTable) {
  update(samples::kFailingWDAttributes);
  EXPECT_EQ(drive.driveAttributeCount(), 11);
  EXPECT_EQ(drive.driveHealth(), 3);
  EXPECT_EQ(flags(), (std::array<int32_t, 5>{3, 1, 1, 1, 1}));
  EXPECT_EQ(reasons(), std::vector<std::string>{"Reallocated bad sector status is failed"});
  EXPECT_EQ(prefs().integerForKey(k5), 1834);
  EXPECT_EQ(prefs().integerForKey(k196), 1203);
  EXPECT_EQ(prefs().integerForKey(k197), 14);
  EXPECT_EQ(prefs().integerForKey(k198), 0);
  EXPECT_EQ(drive.driveReallocatedBadSectors(), 1834);
  EXPECT_EQ(drive.drivePendingBadSectors(), 14);
  EXPECT_EQ(drive.driveAirflowTemperature(), -1);
}

TEST_F(AttributeStep, NamedCountersOfSeveralDrives) {
  struct Case {
    const std::string* table;
    int32_t count;
    int64_t hours, airflow, temperature, pending, removed, reallocated, crc;
  } cases[] = {
      {&samples::kSeagateAttributes, 24, 21532, 36, 36, 0, 0, 0, 0},
      {&samples::kSamsungSSDAttributes, 14, 21043, 32, -1, -1, -1, 0, 0},
  };
  for (const Case& c : cases) {
    update(*c.table);
    EXPECT_EQ(drive.driveHealth(), 1);
    EXPECT_EQ(drive.driveAttributeCount(), c.count);
    EXPECT_EQ(drive.drivePowerOnHours(), c.hours);
    EXPECT_EQ(drive.driveAirflowTemperature(), c.airflow);
    EXPECT_EQ(drive.driveTemperature(), c.temperature);
    EXPECT_EQ(drive.drivePendingBadSectors(), c.pending);
    EXPECT_EQ(drive.driveRemovedBadSectors(), c.removed);
    EXPECT_EQ(drive.driveReallocatedBadSectors(), c.reallocated);
    EXPECT_EQ(drive.driveCRCErrorCount(), c.crc);
    ASSERT_TRUE(drive.driveAttribute(c.count - 1));
    EXPECT_FALSE(drive.driveAttribute(c.count));
  }
}

TEST_F(AttributeStep, OldSmartctlWithLifetimeTemperatures) {
  prefs().setBool("DisplayTempInFahrenheit", true);
  answer({"-A"}, samples::kOldSamsungAttributes, samples::kOldSmartctlBanner);
  drive.updateInfo();
  ASSERT_EQ(drive.driveAttributeCount(), 9);
  EXPECT_EQ(drive.driveTemperature(), 96);
  EXPECT_EQ(drive.driveAirflowTemperature(), 96);
  KRSMARTAttribute t = *drive.driveAttribute(5);
  EXPECT_EQ(t.getName(), "Temperature (F)");
  EXPECT_TRUE(t.getTemperatureAvailable());
  EXPECT_EQ(t.getMin(), 71);
  EXPECT_EQ(t.getMax(), 125);
  EXPECT_EQ(drive.drivePowerOnHours(), 1544);
}

TEST_F(AttributeStep, FirstOfTwoRecordsWithOneNumberCounts) {
  update(table({row(194, "Temperature_Celsius", kNever, "0"), row(194, "Temperature_Celsius", kNever, "41")}));
  EXPECT_EQ(drive.driveTemperature(), 0);
  EXPECT_EQ(drive.driveAttributeCount(), 2);
}

TEST_F(AttributeStep, EachUpdateReplacesTheTableAndAddsReasons) {
  prefs().setBool("RememberBadSectors", true);
  update(table({row(5, "Reallocated_Sector_Ct", kNever, "3"), row(9, "Power_On_Hours", kNever, "10")}));
  EXPECT_EQ(drive.driveHealth(), 2);
  update(table({row(5, "Reallocated_Sector_Ct", kNever, "3")}));
  EXPECT_EQ(drive.driveHealth(), 1);
  EXPECT_EQ(drive.driveAttributeCount(), 1);
  EXPECT_EQ(drive.drivePowerOnHours(), -1);
  update(table({row(5, "Reallocated_Sector_Ct", kNever, "4")}));
  EXPECT_EQ(drive.driveHealth(), 2);
  EXPECT_EQ(reasons(), (std::vector<std::string>{"Too many reallocated bad sectors", "Too many reallocated bad sectors"}));
}

TEST_F(AttributeStep, NoAnswerKeepsThePreviousTable) {
  drive.setDebugState(true);
  update(samples::kSeagateAttributes);
  answer({"-A"}, "");  // the banner alone: smartctl gave nothing useful
  drive.parseAttributes();
  EXPECT_TRUE(mem.log->contains("Error parsing attributes."));
  EXPECT_EQ(drive.driveAttributeCount(), 24);
  EXPECT_EQ(drive.drivePowerOnHours(), 21532);
}

TEST_F(AttributeStep, RowsStartAfterTheHeadingAndSkipReplayLines) {
  update("=== START OF READ SMART DATA SECTION ===\n" + row(5, "Reallocated_Sector_Ct", kNever, "7") +
         "ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      UPDATED  WHEN_FAILED RAW_VALUE\n" +
         "REPLAY-IOCTL: DeviceFD=3 Command=SMART SMART_READ_VALUES\n" + row(9, "Power_On_Hours", kNever, "12"));
  EXPECT_EQ(drive.driveAttributeCount(), 1);
  EXPECT_EQ(drive.driveReallocatedBadSectors(), -1);
  EXPECT_EQ(drive.drivePowerOnHours(), 12);
  EXPECT_EQ(drive.driveHealth(), 1);
}

TEST_F(AttributeStep, DebugMessages) {
  drive.setDebugState(true);
  prefs().setBool("IgnoreAttribute190", true);
  update(table({row(190, "Airflow_Temperature_Cel", "FAILING_NOW", "70"), row(9, "Power_On_Hours", "In_the_past", "1"),
                row(197, "Current_Pending_Sector", kNever, "2")}));
  for (const char* m : {"Parsing attributes.", "Found SMART attributes data structure revision.", "Found attribute.",
                        "Found failed attribute!!", "Found failing in the past attribute!!",
                        "Found too many current bad sectors!!!", "Done parsing attributes"})
    EXPECT_TRUE(mem.log->contains(m)) << m;
  EXPECT_EQ(reasons(), (std::vector<std::string>{"Attribute 9 failed in the past", "Too many current bad sectors"}));
}

TEST_F(AttributeStep, RevisionIsReadEvenWithoutTable) {
  update(samples::kSeagateAttributes);
  EXPECT_EQ(drive.driveAttributeRevision(), 10);
  update("=== START OF READ SMART DATA SECTION ===\nSMART Attributes Data Structure revision number: 5\n");
  EXPECT_EQ(drive.driveAttributeRevision(), 5);
  EXPECT_EQ(drive.driveAttributeCount(), 0);
}

}  // namespace
