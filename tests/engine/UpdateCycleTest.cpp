#include <filesystem>

#include "tests/logs/SmartctlSamples.h"
#include "tests/support/DriveFixture.h"

using testing_support::Args;
using testing_support::banner;
using testing_support::DriveTest;

namespace fs = std::filesystem;

class UpdateCycle : public DriveTest {
 protected:
  UpdateCycle() {
    mem.platform.notifications->addObserver("KRUpdateInfoProgressBar",
                                            [this](const std::string&, const std::string& o) {
                                              ++progress;
                                              EXPECT_EQ(o, "NONE");
                                            });
    fs::create_directories(mem.platform.bundle.logsFolder);
  }
  void answerAll(const std::string& device) {
    answer({"-i", device}, samples::text("Identity"));
    answer({"-H", device}, testing_support::kHealthPassed);
    answer({"-c", device}, testing_support::capabilities());
    const std::string empty = "=== START OF READ SMART DATA SECTION ===\n";
    answer({"-A", device}, empty);
    answer({"-l", "error", device}, empty);
    answer({"-l", "selftest", device}, empty);
    fake.answer({"-r", "ataioctl,2", "-a", device}, "RAW TRACE\n");
  }
  std::string rawFile(const std::string& disk) { return mem.platform.bundle.logsFolder + "/" + disk + ".trdr"; }

  int progress = 0;
};

TEST_F(UpdateCycle, RealDriveRunsEveryStepAndSavesRawData) {
  answerAll("/dev/sda");
  drive.updateInfo();
  EXPECT_EQ(progress, 7);
  EXPECT_EQ(fake.calls(),
            (std::vector<std::string>{"-i /dev/sda", "-H /dev/sda", "-c /dev/sda", "-A /dev/sda", "-l error /dev/sda",
                                      "-l selftest /dev/sda", "-r ataioctl,2 -a /dev/sda"}));
  EXPECT_EQ(testing_support::readFile(rawFile("sda")), "RAW TRACE\n");
  EXPECT_EQ(drive.driveHealth(), logs::kHealthPassed);
  EXPECT_EQ(drive.driveModel(), "WDC WD5000AAKX-00ERMA0");
  EXPECT_EQ(drive.driveShortSelfTestTime(), 2);
  EXPECT_FALSE(drive.exceptionOccurred());
  EXPECT_TRUE(mem.alerts->shown.empty());
}

TEST_F(UpdateCycle, AFailingStepLetsTheOthersRun) {
  answerAll("/dev/sda");
  answer({"-i", "/dev/sda"},
         "Device Model:     X\nUser Capacity:    500,107,862,016 bytes\nRotation Rate:    7200 rpm\n");
  answer({"-H", "/dev/sda"}, "=== START ===\nSMART overall-health self-assessment test result: FAILED!\n");
  drive.updateInfo();
  EXPECT_TRUE(mem.log->contains("Exception occured in parseInfo- RangeException: "));
  EXPECT_TRUE(drive.exceptionOccurred());
  EXPECT_EQ(progress, 6);              // none for the failed step
  EXPECT_EQ(drive.driveModel(), "X");  // written before the failure
  EXPECT_FALSE(drive.driveRotationRate());
  EXPECT_EQ(drive.driveHealth(), logs::kHealthFailed);
  EXPECT_EQ(drive.driveOverallHealth(), "FAILED!");
  EXPECT_EQ(drive.driveExtendedSelfTestTime(), 76);
  EXPECT_TRUE(fs::exists(rawFile("sda")));

  ASSERT_EQ(mem.alerts->shown.size(), 1u);
  EXPECT_EQ(mem.alerts->shown[0].message, "An Error Occurred");
  EXPECT_EQ(mem.alerts->shown[0].informative,
            std::string("An error occurred attempting to read some SMART data. That data will not be available to "
                        "view. Please contact ") +
                platform::supportContact() + " for help.");

  // The next clean update clears the mark; health starts again at passed.
  answerAll("/dev/sda");
  drive.updateInfo();
  EXPECT_FALSE(drive.exceptionOccurred());
  EXPECT_EQ(drive.driveHealth(), logs::kHealthPassed);
  EXPECT_EQ(mem.alerts->shown.size(), 1u);
}

TEST_F(UpdateCycle, CommandLineModeShowsNoAlert) {
  mem.platform.bundle.executableFolder = fake.bundlePath() + "/Contents/MacOS";
  platform::install(mem.platform);
  KRSMARTDrive cli = KRSMARTDrive::initForCommandLine();
  cli.setLocation("/dev/sda");
  answerAll("/dev/sda");
  answer({"-c", "/dev/sda"}, "Offline data collection status:  no parenthesis here\n");
  cli.updateInfo();
  EXPECT_TRUE(mem.log->contains("Exception occured in parseCapabilities. RangeException: "));
  EXPECT_TRUE(cli.exceptionOccurred());
  EXPECT_TRUE(mem.alerts->shown.empty());
  EXPECT_EQ(cli.driveHealth(), logs::kHealthPassed);
}

TEST_F(UpdateCycle, NoHealthAnswerLeavesTheDrivePassed) {
  answerAll("/dev/sda");
  answer({"-H", "/dev/sda"}, "=== START ===\nSMART overall-health self-assessment test result: FAILED!\n");
  drive.updateInfo();
  ASSERT_EQ(drive.driveHealth(), logs::kHealthFailed);
  fake.answer({"-H", "/dev/sda"}, "\xff\n");  // not text: nothing comes back
  drive.updateInfo();
  EXPECT_EQ(drive.driveHealth(), logs::kHealthPassed);
  EXPECT_EQ(drive.driveOverallHealth(), "FAILED!");  // the last text read stays
}

// A run that does not answer within "SmartctlTimeout" ends the drive's
// update: its later runs would only hang as long. What was found before the
// silence stays; a drive found passed so far becomes unknown.
TEST_F(UpdateCycle, DriveThatStopsAnsweringSkipsItsOtherRunsAndIsUnknown) {
  struct Case {
    const char* name;
    Args hangs;
    const char* healthVerdict;  // the -H answer, when asked
    std::vector<std::string> calls;
    int32_t health;
  };
  const Case cases[] = {
      {"identity", {"-i", "/dev/sda"}, "PASSED", {"-i /dev/sda"}, logs::kHealthUnknown},
      {"health", {"-H", "/dev/sda"}, "PASSED", {"-i /dev/sda", "-H /dev/sda"}, logs::kHealthUnknown},
      {"attributes after a FAILED verdict",
       {"-A", "/dev/sda"},
       "FAILED!",
       {"-i /dev/sda", "-H /dev/sda", "-c /dev/sda", "-A /dev/sda"},
       logs::kHealthFailed},
  };
  for (const Case& c : cases) {
    testing_support::ScratchDir root;
    testing_support::FakeSmartctl hanging(root.path());
    KRSMARTDrive d;
    d.setLocation("/dev/sda");
    d.setBundlePath(hanging.bundlePath());
    const std::string empty = "=== START OF READ SMART DATA SECTION ===\n";
    hanging.defaultAnswer(banner() + empty);
    hanging.answer({"-i", "/dev/sda"}, banner() + samples::text("Identity"));
    hanging.answer({"-H", "/dev/sda"},
                   banner() + empty + "SMART overall-health self-assessment test result: " + c.healthVerdict + "\n");
    hanging.hang(c.hangs);
    prefs().setObject("SmartctlTimeout", platform::PlistValue(1.0));
    progress = 0;

    d.updateInfo();
    EXPECT_EQ(hanging.calls(), c.calls) << c.name;
    EXPECT_EQ(d.driveHealth(), c.health) << c.name;
    EXPECT_EQ(d.driveTimedOut(), 1.0) << c.name;
    EXPECT_EQ(d.getFailureReasonsText().value_or(std::vector<std::string>{}).back(),
              "smartctl did not answer within 1 seconds")
        << c.name;
    EXPECT_FALSE(fs::exists(mem.platform.bundle.logsFolder + "/sda.trdr")) << c.name << ": no raw data";
    for (pid_t pid : hanging.hungProcesses()) EXPECT_TRUE(testing_support::processEnded(pid)) << c.name;

    // Answering again, it is checked in full.
    fs::remove(fs::path(hanging.bundlePath()) / "answers" / (c.hangs[0] + "__dev_sda.hang"));
    d.updateInfo();
    EXPECT_FALSE(d.driveTimedOut()) << c.name;
    EXPECT_EQ(hanging.calls().size(), c.calls.size() + 7) << c.name;
    fs::remove(rawFile("sda"));
  }
}
