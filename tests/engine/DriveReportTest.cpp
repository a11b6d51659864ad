// The drive's whole text report.
#include <gtest/gtest.h>

#include "tests/support/DriveFixture.h"

namespace {

const std::string kAttributeHeading =
    "ID#   ATTRIBUTE NAME                         FLAG       VALUE   WORST   THRESH  TYPE         "
    "UPDATED     FAILED    RAW VALUE\n";

class DriveReport : public testing_support::DriveTest {
 protected:
  // Steps a test does not answer get an answer with nothing in it.
  DriveReport() { fake.defaultAnswer(testing_support::banner() + "=== START OF READ SMART DATA SECTION ===\n"); }
};

TEST_F(DriveReport, DriveWithoutSmartSupport) {
  drive.addPartitionName("Macintosh HD");
  drive.addPartitionName("Data");
  EXPECT_EQ(drive.description(),
            "location: /dev/sda\n"
            "partition count: 2\n"
            "partitions: Macintosh HD, Data, \n"
            "SMART Support: Unsupported\n"
            "Last SMART Error: *not set*");

  answer({"-H", "/dev/sda"}, "");  // the banner alone
  drive.parseHealth();
  KRSMARTDrive nowhere;
  EXPECT_EQ(nowhere.description(),
            "location: *not set*\npartition count: 0\n\nSMART Support: Unsupported\nLast SMART Error: *not set*");
  EXPECT_EQ(drive.description().substr(drive.description().rfind('\n') + 1), "Last SMART Error: unknown error");
}

TEST_F(DriveReport, WholeDrive) {
  drive.addPartitionName("Data");
  answer({"-H", "/dev/sda"}, "=== START OF READ SMART DATA SECTION ===\n"
                 "SMART overall-health self-assessment test result: PASSED\n");
  answer({"-A", "/dev/sda"},
         "=== START OF READ SMART DATA SECTION ===\n"
         "SMART Attributes Data Structure revision number: 16\n"
         "Vendor Specific SMART Attributes with Thresholds:\n"
         "ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      UPDATED  WHEN_FAILED RAW_VALUE\n"
         "  5 Reallocated_Sector_Ct   0x0033   100   100   010    Pre-fail  Always       -       0\n"
         "194 Temperature_Celsius     0x0022   064   056   000    Old_age   Always       -       36 (Lifetime Min/Max "
         "22/52)\n\n");
  answer({"-l", "error", "/dev/sda"},
         "=== START OF READ SMART DATA SECTION ===\n"
         "SMART Error Log Version: 1\n"
         "ATA Error Count: 1\n"
         "Error 1 occurred at disk power-on lifetime: 812 hours (33 days + 20 hours)\n"
         "  When the command that caused the error occurred, the device was active or idle.\n\n"
         "  After command completion occurred, registers were:\n"
         "  ER ST SC SN CL CH DH\n"
         "  -- -- -- -- -- -- --\n"
         "  40 51 00 cd ab 00 e0  Error: UNC at LBA = 0x0000abcd = 43981\n\n"
         "  Commands leading to the command that caused the error were:\n"
         "  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name\n"
         "  -- -- -- -- -- -- -- --  ----------------  --------------------\n"
         "  c8 00 08 cd ab 00 e0 00      00:01:02.345  READ DMA\n\n");
  answer({"-l", "selftest", "/dev/sda"},
         "=== START OF READ SMART DATA SECTION ===\n"
         "SMART Self-test log structure revision number 1\n"
         "Num  Test_Description    Status                  Remaining  LifeTime(hours)  LBA_of_first_error\n"
         "# 1  Extended offline    Completed without error       00%      1234         -\n"
         "# 2  Short offline       Completed: read failure       00%      1200         4096\n\n");
  drive.updateInfo();
  EXPECT_EQ(drive.description(),
            "location: /dev/sda\n"
            "partition count: 1\n"
            "partitions: Data, \n"
            "SMART Support: Supported\n"
            "Last SMART Error: *not set*\n"
            "Model Family: *not set*\n"
            "Model: *not set*\n"
            "Serial Number: *not set*\n"
            "Firmware Version: *not set*\n"
            "Capacity: *not set*\n"
            "ATA Version: *not set*\n"
            "SATA Version: *not set*\n"
            "Rotation Rate: *not set*\n"
            "Health: Failing\n"
            "Overall Health: PASSED\n"
            "Offline Data Status: 0\n"
            "Self Test Status: 0\n"
            "Offline Data Collection Time: 0\n"
            "Data Collection Capabilities: 0\n"
            "SMART Capabilities: 0\n"
            "Error Logging Capabilities: 0\n"
            "Short Self Test Time: 0\n"
            "Long Self Test Time: 0\n"
            "Conveyance Self Test Time: 0\n"
            "Attribute Log Revision: 16\n"
            "Attribute Count: 2\n"
            "Attributes:\n" +
                kAttributeHeading +
                "5     Reallocated_Sector_Ct                  0x0033     100     100     010     Pre-fail     "
                "Always      Never     0\n"
                "194   Temperature_Celsius                    0x0022     064     056     000     Old_age      "
                "Always      Never     36 (Lifetime Min/Max 22/52)\n"
                "Error Log Version: 1\n"
                "Error Count: 1\n"
                "Error Log: \n"
                "Error 1 occured at disk power-on lifetime: 812 hours\n"
                "  When the command that caused the error occurred, the device was active or idle.\n"
                "  After command completion occurred, registers were:\n"
                "  ER ST SC SN CL CH DH\n"
                "  -- -- -- -- -- -- --\n"
                "  40 51 00 CD AB 00 E0\n"
                "  Error: Uncorrectable Error\n"
                "  Commands leading to the command that caused the error were:\n"
                "  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name\n"
                "  -- -- -- -- -- -- -- --  ----------------  --------------------\n"
                "  C8 00 08 CD AB 00 E0 00      00:01:02.345  READ DMA\n"
                "\n"
                "Self Test Log Revision: 1\n"
                "Self Test Log Count: 2\n"
                "Self Test Log:\n"
                "\n"
                "Num  Test_Description    Status                   Remaining  LifeTime(hours)  LBA_of_first_error\n"
                "# 1  Extended offline    Completed without error         0%      1234         -\n"
                "# 2  Short offline       Completed: read failure         0%      1200         4096\n");
}

TEST_F(DriveReport, EmptyLogs) {
  answer({"-H", "/dev/sda"}, "=== START OF READ SMART DATA SECTION ===\n"
                 "SMART overall-health self-assessment test result: FAILED!\n");
  answer({"-l", "selftest", "/dev/sda"}, "=== START OF READ SMART DATA SECTION ===\n"
                             "No self-tests have been logged.  [To run self-tests, use: smartctl -t]\n");
  drive.updateInfo();
  const std::string report = drive.description();
  EXPECT_NE(report.find("\nHealth: Failed\nOverall Health: FAILED!\n"), std::string::npos) << report;
  EXPECT_NE(report.find("Attributes:\n" + kAttributeHeading + "Error Log Version: "), std::string::npos) << report;
  EXPECT_NE(report.find("Error Log: \nNo errors logged.\nSelf Test Log Revision: "), std::string::npos) << report;
  EXPECT_TRUE(report.ends_with("Self Test Log Count: 0\nSelf Test Log:\n\nNo self tests logged.\n\n")) << report;

  answer({"-H", "/dev/sda"}, "=== START OF READ SMART DATA SECTION ===\nSMART overall-health self-assessment test result: \n");
  drive.updateInfo();
  EXPECT_NE(drive.description().find("\nHealth: Unknown\n"), std::string::npos);
}

}  // namespace
