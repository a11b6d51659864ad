#include "platform/Exception.h"
#include "tests/engine/DriveFixtures.h"

using drive_fixtures::Args;
using drive_fixtures::DriveTest;

namespace {
const Args kInfo{"-i", "/dev/sda"};
const Args kEnable{"-s", "on", "/dev/sda"};
}  // namespace

class Identity : public DriveTest {
 protected:
  KRSMARTDrive parse(const std::string& body) {
    KRSMARTDrive d;
    d.setLocation("/dev/sda");
    d.setBundlePath(fake.bundlePath());
    answer(kInfo, body);
    d.parseInfo();
    return d;
  }
};

TEST_F(Identity, ReadsEveryText) {
  answer(kInfo, drive_fixtures::kIdentity);
  drive.parseInfo();
  EXPECT_EQ(drive.driveModelFamily(), "Western Digital Blue");
  EXPECT_EQ(drive.driveModel(), "WDC WD5000AAKX-00ERMA0");
  EXPECT_EQ(drive.driveSerialNumber(), "WD-WCC2EUA12345");
  EXPECT_EQ(drive.driveFirmwareVersion(), "15.01H15");
  EXPECT_EQ(drive.driveCapacity(), "500 GB");
  EXPECT_EQ(drive.driveRotationRate(), "7200 rpm");
  EXPECT_EQ(drive.driveATAVersion(), "8");
  EXPECT_EQ(drive.driveSATAVersion(), "SATA 3.0, 6.0 Gb/s (current: 3.0 Gb/s)");
  EXPECT_EQ(fake.calls(), (std::vector<std::string>{"-i /dev/sda"}));
}

TEST_F(Identity, FirstValueStaysForTheRecord) {
  answer(kInfo, drive_fixtures::kIdentity);
  drive.parseInfo();
  answer(kInfo, "Serial Number:    OTHER\nDevice Model:     OTHER MODEL\n");
  drive.parseInfo();
  EXPECT_EQ(drive.driveSerialNumber(), "WD-WCC2EUA12345");
  EXPECT_EQ(drive.driveModel(), "WDC WD5000AAKX-00ERMA0");

  // Within one answer the first line of a label wins.
  KRSMARTDrive d = parse("Serial Number:    FIRST\nSerial Number:    SECOND\n");
  EXPECT_EQ(d.driveSerialNumber(), "FIRST");
}

TEST_F(Identity, ValueRules) {
  struct Expect {
    std::string line;
    std::optional<std::string> (KRSMARTDrive::*get)() const;
    std::optional<std::string> value;
  } cases[] = {
      {"User Capacity:    2,000,398,934,016 bytes [2.00 TB]", &KRSMARTDrive::driveCapacity, "2.00 TB"},
      {"User Capacity:    1,000 bytes [  1.00 KB", &KRSMARTDrive::driveCapacity, "1.00 KB"},
      {"ATA Version is:   ATA8-ACS T13/1699-D revision 4", &KRSMARTDrive::driveATAVersion, "8"},
      {"ATA Version is:   8", &KRSMARTDrive::driveATAVersion, "8"},
      {"ATA Version is:   ACS-2 (minor revision not indicated)", &KRSMARTDrive::driveATAVersion, "2"},
      {"ATA Version is:   ACS-3 T13/2161-D revision 5", &KRSMARTDrive::driveATAVersion, "3"},
      {"ATA Version is:   Exact ATA specification draft version not indicated", &KRSMARTDrive::driveATAVersion,
       "Unknown"},
      {"ATA Version is:   ATA/ATAPI", &KRSMARTDrive::driveATAVersion, "Unknown"},
      {"Model Family:\tSeagate Barracuda 7200.14 (AF)  ", &KRSMARTDrive::driveModelFamily,
       "Seagate Barracuda 7200.14 (AF)  "},
      // A SATA line ahead of any ATA line is read as both.
      {"SATA Version is:  SATA 2.6, 3.0 Gb/s", &KRSMARTDrive::driveATAVersion, "2"},
      {"SATA Version is:  SATA 2.6, 3.0 Gb/s", &KRSMARTDrive::driveSATAVersion, "SATA 2.6, 3.0 Gb/s"},
  };
  for (const auto& c : cases) EXPECT_EQ((parse(c.line + "\n").*c.get)(), c.value) << c.line;
}

TEST_F(Identity, CapacityWithoutBracketStopsTheParse) {
  answer(kInfo, "Device Model:     X\nUser Capacity:    500,107,862,016 bytes\nRotation Rate:    7200 rpm\n");
  EXPECT_THROW(drive.parseInfo(), platform::Exception);
  EXPECT_EQ(drive.driveModel(), "X");
  EXPECT_FALSE(drive.driveCapacity());
  EXPECT_FALSE(drive.driveRotationRate());
}

TEST_F(Identity, LabelWithoutSeparatorRaises) {
  answer(kInfo, "Device Model:WDC\n");
  EXPECT_THROW(drive.parseInfo(), platform::Exception);
}

TEST_F(Identity, NothingBackChangesNothing) {
  answer(kInfo, drive_fixtures::kIdentity);
  drive.parseInfo();
  fake.answer(kInfo, "\xff\n");
  drive.setDebugState(true);
  drive.parseInfo();
  EXPECT_TRUE(mem.log->contains("Error parsing information."));
  EXPECT_EQ(drive.driveModel(), "WDC WD5000AAKX-00ERMA0");
}

TEST_F(Identity, DisabledSmartIsSwitchedOnOncePerLine) {
  struct Case {
    const char* name;
    std::string body;
    std::string enableAnswer;
    size_t enableRuns;
    std::vector<const char*> logged;
  } cases[] = {
      {"after the ATA line",
       "ATA Version is:   ACS-2\nSMART support is: Available - device has SMART capability.\n"
       "SMART support is: Disabled\n",
       "=== START OF ENABLE/DISABLE COMMANDS SECTION ===\nSMART Enabled.\n", 1,
       {"SMART Disabled. Reenabling...", "SMART Reenabled."}},
      {"on the ATA line itself", "ATA Version is:   Disabled 8\n", "SMART Enabled.\n", 1, {"SMART Reenabled."}},
      {"two lines", "ATA Version is:   8\nSMART support is: Disabled\nOffline: Disabled\n", "SMART Enabled.\n", 2, {}},
      {"before the ATA line", "Device Model:     Disabled Drive\nATA Version is:   8\n", "SMART Enabled.\n", 0, {}},
      {"refused", "ATA Version is:   8\nSMART support is: Disabled\n", "SMART Enable failed: no\n", 1,
       {"SMART cannot be reenabled."}},
      {"no answer", "ATA Version is:   8\nSMART support is: Disabled\n", "", 1, {"SMART cannot be reenabled."}},
  };
  for (const auto& c : cases) {
    ::testing_support::FakeSmartctl f(scratch.path() / c.name);
    f.answer(kInfo, testing_support::banner() + c.body);
    f.answer(kEnable, c.enableAnswer.empty() ? "\xff\n" : testing_support::banner() + c.enableAnswer);
    KRSMARTDrive d;
    d.setLocation("/dev/sda");
    d.setBundlePath(f.bundlePath());
    d.setDebugState(true);
    mem.log->clear();
    d.parseInfo();
    size_t runs = 0;
    for (const auto& call : f.calls()) runs += call == "-s on /dev/sda";
    EXPECT_EQ(runs, c.enableRuns) << c.name;
    for (const char* m : c.logged) EXPECT_TRUE(mem.log->contains(m)) << c.name << ": " << m;
    EXPECT_TRUE(mem.log->contains("Done parsing information.")) << c.name;
  }
}
