// The drive's texts of its capability bytes; which capabilities a drive has
// shows in the command line's details (tests/cli/TarvelCommandTest.cpp).
#include <gtest/gtest.h>

#include "tests/CaseFile.h"
#include "tests/support/KRSMARTDriveTestAccess.h"
#include "tests/support/TestPlatform.h"

namespace {

class Capabilities : public testing_support::PlatformTest {
 protected:
  KRSMARTDrive with(uint32_t offlineDataStatus, int32_t selftestStatus) {
    logs::AtaCapabilities caps;
    caps.offlineDataStatus = offlineDataStatus;
    caps.selftestStatus = selftestStatus;
    KRSMARTDrive d;
    KRSMARTDriveTestAccess::setCapabilities(d, caps);
    return d;
  }
};

// The cases of tests/engine/capabilities.txt.
TEST_F(Capabilities, OfflineActivityKeys) {
  EXPECT_EQ(with(0x82, 0).driveOfflineDataCollectionActivity(), "was completed without error");
  const auto cases = testing_support::readCases("engine/capabilities.txt", "offline");
  for (const auto& c : cases) mem.strings->entries[{"Main", c[1]}] = c[1];
  for (const auto& c : cases)
    EXPECT_EQ(with(std::stoul(c[0], nullptr, 16), 0).driveOfflineDataCollectionActivity(), c[1]) << c.line;
}

TEST_F(Capabilities, SelfTestExecutionKeys) {
  EXPECT_EQ(with(0x82, 249).driveSelfTestExecution(), "Self-test routine in progress... 90% of test remaining.");
  const auto cases = testing_support::readCases("engine/capabilities.txt", "selftest");
  for (const auto& c : cases) mem.strings->entries[{"Main", c[1]}] = c[1];
  mem.strings->entries[{"Main", "STInProgress"}] = "%d%% left";
  for (const auto& c : cases) {
    KRSMARTDrive d = with(0x82, std::stoi(c[0]));
    EXPECT_EQ(d.driveSelfTestExecution(), c[1]) << c.line;
    EXPECT_EQ(d.driveSelfTestExecutionInProgress(), c[2] == "true") << c.line;
    EXPECT_EQ(d.driveSelfTestExecutionRemaining(), std::stoi(c[3])) << c.line;
  }
}

}  // namespace
