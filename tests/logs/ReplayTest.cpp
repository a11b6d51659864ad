// The log steps against the real smartctl, replaying simulated drives made
// by the project's fake-drive tool, the way a saved raw-data file replays.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/logs/LogTestSupport.h"

namespace {

namespace fs = std::filesystem;
using testing_support::buildDir;
using testing_support::sourceDir;

const fs::path kSmartctl = "/usr/sbin/smartctl";

class LogReplay : public testing_support::PlatformTest {
 protected:
  void SetUp() override {
    tool_ = buildDir() / "tools/fakedrive/tarvel-fakedrive";
    if (!fs::exists(kSmartctl)) GTEST_SKIP() << "no smartctl to replay with";
    if (!fs::exists(tool_)) GTEST_SKIP() << "the fake-drive tool is not built";
    bundle_ = scratch.path() / "Replay.app";
    fs::create_directories(bundle_ / "Contents/MacOS");
    fs::create_symlink(kSmartctl, bundle_ / "Contents/MacOS/smartctl");
    mem.platform.preferences->registerDefaults({
        {"IgnoreAttribute190", "YES"},  {"IgnoreAttribute196", "NO"},     {"RememberBadSectors", "NO"},
        {"CustomBadSectorCount", "NO"}, {"CustomBadSectorCountValue", 0}, {"CustomErrorCount", "NO"},
        {"CustomErrorCountValue", 50},  {"RememberErrorCount", "NO"},     {"FailedTestIsNew", "NO"},
        {"DisplayTempInFahrenheit", "NO"},
    });
  }

  // A drive that replays the trace of `description` (a path below the
  // source folder) for every smartctl run. The trace of mode "a" serves
  // every step, as a saved raw-data file does; a step's own mode gives its
  // output without smartctl's replay warnings.
  KRSMARTDrive replayed(const std::string& description, const std::string& mode = "a") {
    fs::path trace = scratch.path() / (fs::path(description).stem().string() + "-" + mode + ".trdr");
    KRTask task;
    task.setRawDataPath(trace.string());
    task.parseCommandLine(tool_.string(),
                          std::vector<std::string>{"--for", mode, (sourceDir() / description).string()});
    EXPECT_GT(fs::file_size(trace), 0u) << description;
    KRSMARTDrive drive;
    drive.setBundlePath(bundle_.string());
    drive.setDriveAsFile(true);
    drive.setLocation(trace.string());
    return drive;
  }

  platform::Preferences& prefs() { return *mem.platform.preferences; }
  std::vector<std::string> reasons(const KRSMARTDrive& d) {
    return d.getFailureReasonsText().value_or(std::vector<std::string>{});
  }
  std::array<int32_t, 5> flags(const KRSMARTDrive& d) {
    return {d.driveReallocatedSectorsFail(), d.driveReallocatedEventsFail(), d.driveCurrentSectorsFail(),
            d.driveOfflineSectorsFail(), d.driveOtherAttributesFail()};
  }
  // The key a remembered value of `d` is kept under.
  std::string key(const KRSMARTDrive& d, const std::string& suffix) {
    return d.driveSerialNumber().value_or(*d.driveLocation()) + suffix;
  }

 private:
  fs::path tool_, bundle_;
};

TEST_F(LogReplay, DiskThatFailedItsAssessment) {
  KRSMARTDrive drive = replayed("resources/simulated-drives/failed-health.drive");
  drive.updateInfo();
  EXPECT_EQ(drive.driveHealth(), 3);
  EXPECT_EQ(drive.driveOverallHealth(), "FAILED!");
  EXPECT_EQ(drive.driveAttributeCount(), 17);
  EXPECT_EQ(drive.driveReallocatedBadSectors(), 1998);
  EXPECT_EQ(drive.driveTemperature(), 35);
  EXPECT_EQ(flags(drive), (std::array<int32_t, 5>{3, 1, 1, 1, 1}));
  // Once failed, the counts and the failed self-tests add no reasons.
  EXPECT_EQ(reasons(drive), std::vector<std::string>{"Reallocated bad sector status is failed"});
  EXPECT_EQ(prefs().integerForKey(key(drive, "_LastReallocatedEventCount")), 2107);
  EXPECT_EQ(prefs().integerForKey(key(drive, "_LastCurrentSectorCount")), 312);

  ASSERT_EQ(drive.driveErrorLogEntries().size(), 1u);
  const KRSMARTErrorLog& e = drive.driveErrorLogEntries()[0];
  EXPECT_EQ(e.getError1(), "Uncorrectable Error");
  EXPECT_EQ(e.getSectors(), 8);
  EXPECT_EQ(e.getLBA(), 0x03b8a0c0);
  EXPECT_EQ(e.getRegisterST(), 0x51u);
  // The replay's closing warning follows the last entry and is read as one
  // more command row: only an "Error " line or the end stops the rows.
  ASSERT_EQ(e.getErrorCommands().size(), 4u);
  EXPECT_EQ(e.getErrorCommands()[3].getCommand(), "Warning: commands replayed out of sync");
  EXPECT_EQ(e.getLastErrorCommand(), "READ DMA EXT");
  EXPECT_EQ(e.getErrorCommands()[0].getPowerUpTime(), "12:44:03.517");
  EXPECT_EQ(e.getErrorCommands()[2].getCommand(), "SET FEATURES [Set transfer mode]");

  EXPECT_EQ(drive.driveTestsCount(), 3u);
  EXPECT_TRUE(drive.driveTestsFail());
  EXPECT_FALSE(drive.driveNewTestFail());
  EXPECT_EQ(drive.driveLastTestTime(), 46390);
  EXPECT_EQ(drive.driveSelfTestLog(0)->getLBA(), 62431424);
  EXPECT_EQ(prefs().integerForKey(key(drive, "_LastTestPowerOnHours")), 45990);

  const std::string report = drive.description();
  EXPECT_NE(report.find("\n5     Reallocated_Sector_Ct                  0x0033     005     005     005     Pre-fail     "
                        "Always      FAILING NOW     1998\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("\n  Error: Uncorrectable Error  with 8 sectors at LBA = 3B8A0C0\n"), std::string::npos);
  EXPECT_NE(report.find("\n# 2  Extended offline    Completed: read failure        80%     46301         62431424\n"),
            std::string::npos);
}

TEST_F(LogReplay, DiskWithGrowingDefects) {
  KRSMARTDrive drive = replayed("resources/simulated-drives/read-errors.drive");
  drive.updateInfo();
  EXPECT_EQ(drive.driveHealth(), 2);
  EXPECT_EQ(flags(drive), (std::array<int32_t, 5>{2, 2, 2, 1, 1}));
  EXPECT_EQ(reasons(drive), (std::vector<std::string>{"Too many reallocated bad sectors", "Too many reallocated events",
                                                      "Too many current bad sectors", "Tests with errors"}));
  ASSERT_EQ(drive.driveErrorLogEntries().size(), 5u);
  EXPECT_EQ(drive.driveErrorLogEntries()[0].getLBA(), 5161448);
  EXPECT_EQ(drive.driveErrorLogEntries()[0].getErrorCommands().size(), 5u);
  EXPECT_EQ(drive.driveLastErrorType(), "Uncorrectable Error");
  EXPECT_TRUE(drive.driveNewTestFail());

  // The next check remembers what this one saw: nothing has grown.
  prefs().setBool("RememberBadSectors", true);
  prefs().setBool("FailedTestIsNew", true);
  drive.updateInfo();
  EXPECT_EQ(drive.driveHealth(), 1);
  EXPECT_EQ(flags(drive), (std::array<int32_t, 5>{1, 1, 1, 1, 1}));
  EXPECT_TRUE(drive.driveTestsFail());
  EXPECT_FALSE(drive.driveNewTestFail());
  EXPECT_EQ(reasons(drive).size(), 4u);
}

TEST_F(LogReplay, ErrorCountsOfReplayedLogs) {
  prefs().setBool("CustomErrorCount", true);
  prefs().setInteger("CustomErrorCountValue", 20);
  struct Case {
    const char* description;
    int32_t count;
    size_t entries;
    bool failing;
  } cases[] = {
      {"resources/simulated-drives/read-errors.drive", 14, 5, false},
      {"tests/drives/error-log-wrapped.drive", 27, 5, true},
      {"tests/drives/error-log-partial.drive", 3, 3, false},
  };
  for (const Case& c : cases) {
    KRSMARTDrive drive = replayed(c.description);
    drive.parseHealth();
    drive.parseErrorLog();
    EXPECT_EQ(drive.driveTotalErrors(), c.count) << c.description;
    EXPECT_EQ(drive.driveErrorLogEntries().size(), c.entries) << c.description;
    EXPECT_EQ(drive.driveErrorsFail(), c.failing) << c.description;
    EXPECT_EQ(drive.driveErrorLogVersion(), 1) << c.description;
  }
}

TEST_F(LogReplay, EntriesWithFewCommands) {
  KRSMARTDrive drive = replayed("tests/drives/error-log-partial.drive", "error");
  drive.parseErrorLog();
  const std::vector<KRSMARTErrorLog>& log = drive.driveErrorLogEntries();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].getErrorCommands().size(), 2u);
  EXPECT_EQ(log[0].getSectors(), 1);
  EXPECT_EQ(log[0].getLBA(), 0x00123456);
  EXPECT_EQ(log[1].getError1(), "Interface CRC error");
  EXPECT_EQ(log[1].getError2(), "Command Aborted");
  EXPECT_EQ(log[1].getErrorCommands().size(), 1u);
  EXPECT_EQ(log[2].getActivity(), "the device was in standby mode.");
  EXPECT_EQ(log[2].getError1(), "Command Aborted");
  EXPECT_EQ(log[2].getErrorCommands().size(), 3u);
}

TEST_F(LogReplay, AttributeThatFailedInThePast) {
  struct Case {
    bool ignore190;
    int32_t health;
    std::vector<std::string> reasons;
  } cases[] = {
      {true, 2, {"Attribute 3 failed in the past"}},
      {false, 3, {"Attribute 3 failed in the past", "Attribute 190 status is failed"}},
  };
  for (const Case& c : cases) {
    prefs().setBool("IgnoreAttribute190", c.ignore190);
    KRSMARTDrive drive = replayed("tests/drives/attribute-in-the-past.drive");
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), c.health);
    EXPECT_EQ(reasons(drive), c.reasons);
    EXPECT_EQ(drive.driveTestsCount(), 0u);
    EXPECT_EQ(drive.driveLastTestTime(), -1);
    EXPECT_TRUE(drive.driveErrorLogEntries().empty());
  }
}

TEST_F(LogReplay, TemperaturesInFahrenheit) {
  prefs().setBool("DisplayTempInFahrenheit", true);
  KRSMARTDrive drive = replayed("tests/drives/attribute-in-the-past.drive");
  drive.parseAttributes();
  EXPECT_EQ(drive.driveTemperature(), 113);
  EXPECT_EQ(drive.driveAirflowTemperature(), 131);
  KRSMARTAttribute t = *drive.driveAttribute(3);
  EXPECT_EQ(t.getName(), "Temperature (F)");
  EXPECT_FALSE(t.getTemperatureAvailable());  // smartctl 7 writes "(Min/Max 30/60)"
  EXPECT_EQ(drive.drivePowerOnHours(), 1200);
}

TEST_F(LogReplay, SelfTestLogs) {
  KRSMARTDrive running = replayed("tests/drives/selftest-in-progress.drive");
  running.updateInfo();
  ASSERT_EQ(running.driveTestsCount(), 2u);
  EXPECT_EQ(running.driveSelfTestLog(0)->getStatus(), "Self-test routine in progress");
  EXPECT_EQ(running.driveSelfTestLog(0)->getRemaining(), 90);
  EXPECT_FALSE(running.driveTestsFail());
  EXPECT_EQ(running.driveHealth(), 1);

  KRSMARTDrive fresh = replayed("tests/drives/no-selftests.drive");
  fresh.parseSelftestLog();
  EXPECT_EQ(fresh.driveTestsCount(), 0u);
  EXPECT_FALSE(fresh.driveSelfTestLog(0));
  EXPECT_FALSE(fresh.driveLastTestStatus());
}

TEST_F(LogReplay, SmartDisabledCountsAsATestInProgress) {
  KRSMARTDrive drive = replayed("tests/drives/smart-disabled.drive");
  drive.parseSelftestLog();
  EXPECT_EQ(prefs().integerForKey("TestsInProgress"), 1);
  EXPECT_TRUE(drive.driveTestInProgress());
  EXPECT_EQ(drive.driveTestsCount(), 0u);
}

}  // namespace
