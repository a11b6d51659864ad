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

// The answers and the report of a drive with every table (tests/engine/report).
TEST_F(DriveReport, WholeDrive) {
  auto file = [](const std::string& name) {
    return testing_support::readFile(testing_support::sourceDir() / "tests/engine/report" / (name + ".txt"));
  };
  drive.addPartitionName("Data");
  answer({"-H", "/dev/sda"}, testing_support::kHealthPassed);
  answer({"-A", "/dev/sda"}, file("attributes"));
  answer({"-l", "error", "/dev/sda"}, file("error-log"));
  answer({"-l", "selftest", "/dev/sda"}, file("selftest-log"));
  drive.updateInfo();
  EXPECT_EQ(drive.description(), file("expected"));
}

TEST_F(DriveReport, EmptyLogs) {
  answer({"-H", "/dev/sda"},
         "=== START OF READ SMART DATA SECTION ===\n"
         "SMART overall-health self-assessment test result: FAILED!\n");
  answer({"-l", "selftest", "/dev/sda"},
         "=== START OF READ SMART DATA SECTION ===\n"
         "No self-tests have been logged.  [To run self-tests, use: smartctl -t]\n");
  drive.updateInfo();
  const std::string report = drive.description();
  EXPECT_NE(report.find("\nHealth: Failed\nOverall Health: FAILED!\n"), std::string::npos) << report;
  EXPECT_NE(report.find("Attributes:\n" + kAttributeHeading + "Error Log Version: "), std::string::npos) << report;
  EXPECT_NE(report.find("Error Log: \nNo errors logged.\nSelf Test Log Revision: "), std::string::npos) << report;
  EXPECT_TRUE(report.ends_with("Self Test Log Count: 0\nSelf Test Log:\n\nNo self tests logged.\n\n")) << report;

  answer({"-H", "/dev/sda"},
         "=== START OF READ SMART DATA SECTION ===\nSMART overall-health self-assessment test result: \n");
  drive.updateInfo();
  EXPECT_NE(drive.description().find("\nHealth: Unknown\n"), std::string::npos);
}

}  // namespace
