#include <chrono>

#include "tests/support/DriveFixture.h"

using testing_support::Args;
using testing_support::capabilities;
using testing_support::DriveTest;

namespace {

const Args kShort{"-t", "short", "/dev/sda"};
const Args kLong{"-t", "long", "/dev/sda"};
const Args kAbort{"-X", "/dev/sda"};

const std::string kBegun =
    "=== START OF OFFLINE IMMEDIATE AND SELF-TEST SECTION ===\n"
    "Sending command: \"Execute SMART Short self-test routine immediately in off-line mode\".\n"
    "Drive command \"Execute SMART Short self-test routine immediately in off-line mode\" successful.\n"
    "Testing has begun.\n"
    "Please wait 2 minutes for test to complete.\n";
const std::string kAborted =
    "=== START OF OFFLINE IMMEDIATE AND SELF-TEST SECTION ===\n"
    "Sending command: \"Abort SMART off-line mode self-test routine\".\n"
    "Self-testing aborted!\n";

double nowSeconds() {
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

class SelfTest : public DriveTest {
 protected:
  // Capabilities with the given data byte: bit 2 says new commands abort
  // offline collection.
  void readCapabilities(const std::string& dataCapabilities) {
    answer({"-c", "/dev/sda"}, capabilities("0x82", "   0", dataCapabilities));
    drive.parseCapabilities();
  }
  platform::Preferences& prefs() { return *mem.platform.preferences; }
};

TEST_F(SelfTest, ShortTestBegunOnADriveThatAbortsCollection) {
  readCapabilities("0x5f");
  answer(kShort, kBegun);
  double before = nowSeconds();
  EXPECT_EQ(drive.runSelfTest(KRSMARTDrive::kArgShortTest), 1u);
  double after = nowSeconds();
  auto end = prefs().dateForKey("/dev/sda_TestEndTime");
  ASSERT_TRUE(end);
  EXPECT_GE(end->secondsSince1970, before + 120);
  EXPECT_LE(end->secondsSince1970, after + 120);
  EXPECT_EQ(prefs().integerForKey("/dev/sda_TestRunTime"), 2);
  EXPECT_EQ(prefs().integerForKey("/dev/sda_TestType"), 8);
  EXPECT_EQ(prefs().integerForKey("TestsInProgress"), 1);
  EXPECT_TRUE(drive.driveTestInProgress());
  EXPECT_TRUE(drive.driveSelfTestExecutionInProgress());
}

TEST_F(SelfTest, ExtendedTestOnADriveThatSuspendsCollection) {
  readCapabilities("0x7b");
  answer(kLong, kBegun);
  double before = nowSeconds();
  EXPECT_EQ(drive.runSelfTest(KRSMARTDrive::kArgExtendedTest), 1u);
  EXPECT_GE(prefs().dateForKey("/dev/sda_TestEndTime")->secondsSince1970, before + 76 * 60);
  EXPECT_EQ(prefs().integerForKey("/dev/sda_TestRunTime"), 76);
  EXPECT_EQ(prefs().integerForKey("/dev/sda_TestType"), 9);
  EXPECT_FALSE(prefs().objectForKey("TestsInProgress"));
  EXPECT_FALSE(drive.driveTestInProgress());
}

TEST_F(SelfTest, UnknownAnswersStoreNothing) {
  struct Case {
    const char* name;
    std::string answer;  // empty: nothing comes back
    uint64_t result;
  } cases[] = {
      // A test under way (3) and a refusal (2) come from smartctl itself in the replay tests.
      {"no known text", "=== START ===\nsomething else\n", 2},
      {"nothing back", "", 0},
  };
  readCapabilities("0x5f");
  for (const auto& c : cases) {
    if (c.answer.empty()) fake.answer(kShort, "\xff\n");
    else answer(kShort, c.answer);
    EXPECT_EQ(drive.runSelfTest(KRSMARTDrive::kArgShortTest), c.result) << c.name;
    EXPECT_FALSE(prefs().objectForKey("/dev/sda_TestEndTime")) << c.name;
    EXPECT_FALSE(prefs().objectForKey("/dev/sda_TestType")) << c.name;
    EXPECT_FALSE(prefs().objectForKey("TestsInProgress")) << c.name;
  }
}

TEST_F(SelfTest, BegunWinsOverFailedOnTheSameLine) {
  answer(kShort, "=== START ===\nTesting has begun, although an earlier one failed.\n");
  EXPECT_EQ(drive.runSelfTest(KRSMARTDrive::kArgShortTest), 1u);
  EXPECT_EQ(prefs().integerForKey("/dev/sda_TestType"), 8);
}

TEST_F(SelfTest, StopAbortsAndCountsDown) {
  readCapabilities("0x5f");
  answer(kShort, kBegun);
  drive.runSelfTest(KRSMARTDrive::kArgShortTest);
  answer(kAbort, kAborted);
  EXPECT_TRUE(drive.stopSelfTest());
  EXPECT_FALSE(prefs().objectForKey("/dev/sda_TestEndTime"));
  EXPECT_EQ(prefs().integerForKey("TestsInProgress"), 0);
  EXPECT_FALSE(drive.driveTestInProgress());

  // Never below zero; an unconfirmed abort returns false.
  answer(kAbort, "=== START ===\nno confirmation\n");
  EXPECT_FALSE(drive.stopSelfTest());
  EXPECT_EQ(prefs().integerForKey("TestsInProgress"), 0);
  EXPECT_EQ(fake.calls().back(), "-X /dev/sda");
}

TEST_F(SelfTest, VeryPermissiveDriveStartsNoTest) {
  answer({"-H", "/dev/sda"}, "SMART support is: Ambiguous\n");
  fake.answer({"-T", "verypermissive", "-H", "/dev/sda"}, "one line\n");
  drive.parseHealth();
  ASSERT_TRUE(drive.getRunVeryPermissive());
  fake.answer({"-V"}, testing_support::banner() + "smartmontools release 7.3\n");
  EXPECT_EQ(drive.runSelfTest(KRSMARTDrive::kArgShortTest), 2u);
  EXPECT_EQ(fake.calls().back(), "-V");
}
