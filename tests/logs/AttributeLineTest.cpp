#include <gtest/gtest.h>

#include "engine/KRSMARTDrive.h"
#include "tests/support/TestPlatform.h"

namespace {

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

struct LineCase {
  const char* line;
  bool fahrenheit;
  Expected want;
};

void expectRecord(const KRSMARTAttribute& a, const Expected& w, const std::string& line) {
  SCOPED_TRACE(line);
  EXPECT_EQ(a.getIDNumber(), w.id);
  EXPECT_EQ(a.getName(), w.name);
  EXPECT_EQ(a.getFlag(), w.flag);
  EXPECT_EQ(a.getValue(), w.value);
  EXPECT_EQ(a.getWorst(), w.worst);
  EXPECT_EQ(a.getThresh(), w.thresh);
  EXPECT_EQ(a.getType(), w.type);
  EXPECT_EQ(a.getUpdated(), w.updated);
  EXPECT_EQ(a.getFailed(), w.failed);
  EXPECT_EQ(a.getRaw(), w.raw);
  EXPECT_EQ(a.getTemperatureAvailable(), w.temperature);
  EXPECT_EQ(a.getMin(), w.min);
  EXPECT_EQ(a.getMax(), w.max);
}

class AttributeLine : public testing_support::PlatformTest {
 protected:
  KRSMARTDrive drive;
};

TEST_F(AttributeLine, RowsOfSeveralSmartctlVersions) {
  const LineCase cases[] = {
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
  for (const LineCase& c : cases) {
    mem.platform.preferences->setBool("DisplayTempInFahrenheit", c.fahrenheit);
    expectRecord(drive.parseAttributeLine(c.line), c.want, c.line);
  }
}

TEST_F(AttributeLine, NamesAndColumnWordsAreLocalized) {
  mem.strings->entries[{"Attributes", "Raw_Read_Error_Rate"}] = "Taux d'erreurs de lecture";
  mem.strings->entries[{"Attributes", "TempFahr2"}] = "Température (F)";
  mem.strings->entries[{"Main", "Pre-fail"}] = "Pré-défaillance";
  mem.strings->entries[{"Main", "Always"}] = "Toujours";
  KRSMARTAttribute a =
      drive.parseAttributeLine("  1 Raw_Read_Error_Rate     0x000f   117   099   006    Pre-fail  Always       -       0");
  EXPECT_EQ(a.getName(), "Taux d'erreurs de lecture");
  EXPECT_EQ(a.getType(), "Pré-défaillance");
  EXPECT_EQ(a.getUpdated(), "Toujours");

  mem.platform.preferences->setBool("DisplayTempInFahrenheit", true);
  a = drive.parseAttributeLine("194 Temperature_Celsius     0x0022   036   047   000    Old_age   Always       -       36");
  EXPECT_EQ(a.getName(), "Température (F)");
  EXPECT_EQ(a.getType(), "Old_age");
}

}  // namespace
