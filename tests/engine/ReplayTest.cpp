// Simulated drives from tarvel-fakedrive, replayed by the real smartctl the
// way a saved raw-data file is: "-" as the device and the trace on stdin.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "engine/KRSMARTDrive.h"
#include "tests/support/TestPlatform.h"

namespace fs = std::filesystem;
using testing_support::buildDir;
using testing_support::sourceDir;

namespace {

const fs::path kSmartctl = "/usr/sbin/smartctl";

fs::path description(const std::string& name) {
  fs::path shipped = sourceDir() / "resources/simulated-drives" / (name + ".drive");
  return fs::exists(shipped) ? shipped : sourceDir() / "tests/drives" / (name + ".drive");
}

class Replay : public testing_support::PlatformTest {
 protected:
  // Both are part of the test equipment: a machine without them fails here.
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kSmartctl)) << "smartmontools is not installed (scripts/deps.sh installs it)";
    ASSERT_TRUE(fs::exists(tool())) << "tarvel-fakedrive is not built";
    fs::create_directories(bundle() / "Contents/MacOS");
    fs::create_symlink(kSmartctl, bundle() / "Contents/MacOS/smartctl");
    fs::create_directories(mem.platform.bundle.logsFolder);
    prefs().registerDefaults({
        {"IgnoreAttribute190", "YES"},  {"IgnoreAttribute196", "NO"},     {"RememberBadSectors", "NO"},
        {"CustomBadSectorCount", "NO"}, {"CustomBadSectorCountValue", 0}, {"CustomErrorCount", "NO"},
        {"CustomErrorCountValue", 50},  {"RememberErrorCount", "NO"},     {"FailedTestIsNew", "NO"},
        {"DisplayTempInFahrenheit", "NO"},
    });
  }

  fs::path tool() const { return buildDir() / "tools/fakedrive/tarvel-fakedrive"; }
  fs::path bundle() const { return scratch.path() / "Replay.app"; }
  platform::Preferences& prefs() { return *mem.platform.preferences; }

  // The trace of a description for one smartctl option (tool mode). The
  // trace of mode "a" serves every step, as a saved raw-data file does; a
  // step's own mode gives its output without smartctl's replay warnings.
  std::string trace(const std::string& name, const std::string& mode = "a") {
    fs::path out = scratch.path() / (name + "." + mode + ".trdr");
    KRTask task;
    task.setRawDataPath(out.string());
    task.parseCommandLine(tool().string(), std::vector<std::string>{"--for", mode, description(name).string()});
    EXPECT_GT(fs::file_size(out), 1000u) << name << ": " << testing_support::readFile(out);
    return out.string();
  }

  KRSMARTDrive replayed(const std::string& name, const std::string& mode = "a") {
    KRSMARTDrive d;
    d.setBundlePath(bundle().string());
    d.setDriveAsFile(true);
    d.setLocation(trace(name, mode));
    return d;
  }

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
};

TEST_F(Replay, HealthyDiskReadsCompletely) {
  int progress = 0;
  mem.platform.notifications->addObserver("KRUpdateInfoProgressBar",
                                          [&](const std::string&, const std::string&) { ++progress; });
  KRSMARTDrive d = replayed("healthy-hdd");
  d.updateInfo();

  EXPECT_FALSE(d.exceptionOccurred());
  EXPECT_TRUE(mem.alerts->shown.empty());
  EXPECT_EQ(progress, 6);
  EXPECT_TRUE(d.smartSupported());
  EXPECT_EQ(d.driveModelFamily(), "Western Digital Red");
  EXPECT_EQ(d.driveModel(), "WDC WD40EFRX-68N32N0");
  EXPECT_EQ(d.driveSerialNumber(), "WD-WCC7K4HL2X9N");
  EXPECT_EQ(d.driveFirmwareVersion(), "82.00A82");
  EXPECT_EQ(d.driveCapacity(), "4.00 TB");
  EXPECT_EQ(d.driveRotationRate(), "5400 rpm");
  EXPECT_EQ(d.driveATAVersion(), "3");
  EXPECT_EQ(d.driveSATAVersion(), "SATA 3.1, 6.0 Gb/s (current: 6.0 Gb/s)");

  EXPECT_EQ(d.driveHealth(), logs::kHealthPassed);
  EXPECT_EQ(d.driveOverallHealth(), "PASSED");
  EXPECT_FALSE(d.getFailureReasonsText());

  EXPECT_EQ(d.driveOfflineDataStatus(), 0u);
  EXPECT_EQ(d.driveOfflineDataCollectionActivity(), "was never started");
  EXPECT_EQ(d.driveSelfTestStatus(), 0);
  EXPECT_FALSE(d.driveSelfTestExecutionInProgress());
  EXPECT_EQ(d.driveOfflineDataCollectionTime(), 44160);
  EXPECT_EQ(d.driveDataCapabilities(), 0x7bu);
  EXPECT_FALSE(d.driveAbortOfflineCollection());
  EXPECT_TRUE(d.driveGeneralPurposeLogging());
  EXPECT_EQ(d.driveShortSelfTestTime(), 2);
  EXPECT_EQ(d.driveExtendedSelfTestTime(), 468);
  EXPECT_EQ(d.driveConveyanceSelfTestTime(), 5);

  // A replayed drive leaves no raw-data file behind.
  EXPECT_TRUE(fs::is_empty(mem.platform.bundle.logsFolder));
  EXPECT_EQ(d.smartctlVersion(), "7.3");
}

TEST_F(Replay, IdentityTexts) {
  struct Case {
    const char* drive;
    std::optional<std::string> family, capacity, rotation, ata, sata;
  } cases[] = {
      {"old-ata7", std::nullopt, "160 GB", "7200 rpm", "7", "SATA 2.5, 3.0 Gb/s (current: 1.5 Gb/s)"},
      {"ssd-4kn", std::nullopt, "1.00 TB", "Solid State Device", "4", "SATA 3.3, 6.0 Gb/s (current: 6.0 Gb/s)"},
      {"smart-ambiguous", std::nullopt, "2.00 TB", "7200 rpm", "3", "SATA 3.1, 6.0 Gb/s (current: 6.0 Gb/s)"},
  };
  for (const auto& c : cases) {
    KRSMARTDrive d = replayed(c.drive);
    d.parseInfo();
    EXPECT_EQ(d.driveModelFamily(), c.family) << c.drive;
    EXPECT_EQ(d.driveCapacity(), c.capacity) << c.drive;
    EXPECT_EQ(d.driveRotationRate(), c.rotation) << c.drive;
    EXPECT_EQ(d.driveATAVersion(), c.ata) << c.drive;
    EXPECT_EQ(d.driveSATAVersion(), c.sata) << c.drive;
    EXPECT_TRUE(d.smartSupported()) << c.drive;
    EXPECT_FALSE(d.getRunVeryPermissive()) << c.drive;
  }
}

TEST_F(Replay, VerdictsAndDecodedStatus) {
  struct Case {
    const char* drive;
    int32_t health;
    std::optional<std::string> overall;
    int32_t selfTestStatus;
    std::string activity;
    std::string execution;
    bool selftestFail;
  } cases[] = {
      {"failed-health", logs::kHealthFailed, "FAILED!", 116, "was suspended by an interrupting command from host",
       "The previous self-test completed having the read element of the test failed.", false},
      {"failing-reallocated", logs::kHealthFailing, "PASSED", 121, "was completed without error",
       "The previous self-test completed having the read element of the test failed.", true},
      {"selftest-log-current-failure", logs::kHealthFailing, "PASSED", 96, "was completed without error",
       "The previous self-test completed having the servo (and/or seek) element of the test failed.", true},
      {"selftest-in-progress", logs::kHealthPassed, "PASSED", 249, "is in progress",
       "Self-test routine in progress... 90% of test remaining.", false},
      {"health-unsupported", logs::kHealthFailed, "FAILED!", 0, "was completed without error",
       "The previous self-test routine completed without error or no self-test has ever been run.", false},
  };
  for (const auto& c : cases) {
    // Only this subsystem's steps: the log evaluations judge these drives too.
    KRSMARTDrive d = replayed(c.drive);
    d.parseHealth();
    d.parseCapabilities();
    EXPECT_EQ(d.driveHealth(), c.health) << c.drive;
    EXPECT_EQ(d.driveOverallHealth(), c.overall) << c.drive;
    EXPECT_EQ(d.driveSelfTestStatus(), c.selfTestStatus) << c.drive;
    EXPECT_EQ(d.driveOfflineDataCollectionActivity(), c.activity) << c.drive;
    EXPECT_EQ(d.driveSelfTestExecution(), c.execution) << c.drive;
    EXPECT_EQ(d.driveSelftestFail(), c.selftestFail) << c.drive;
    auto reasons = d.getFailureReasonsText();
    EXPECT_EQ(reasons ? *reasons : std::vector<std::string>{},
              c.selftestFail ? std::vector<std::string>{"Failed selftest status"} : std::vector<std::string>{})
        << c.drive;
  }
}

TEST_F(Replay, DrivesWithoutWorkingSmart) {
  // Unsupported and disabled SMART: smartctl answers the health request
  // without a verdict; a replay cannot switch SMART on.
  for (const char* name : {"smart-unsupported", "smart-disabled", "smart-ambiguous"}) {
    mem.log->clear();
    KRSMARTDrive d = replayed(name);
    d.setDebugState(true);
    d.parseInfo();
    d.parseHealth();
    EXPECT_EQ(d.driveHealth(), logs::kHealthUnknown) << name;
    EXPECT_TRUE(d.driveModel()) << name;
    bool disabled = std::string(name) == "smart-disabled";
    EXPECT_EQ(mem.log->contains("SMART Disabled. Reenabling..."), disabled) << name;
    EXPECT_EQ(mem.log->contains("SMART cannot be reenabled."), disabled) << name;
  }
}

TEST_F(Replay, SelfTestCommands) {
  KRSMARTDrive d = replayed("healthy-hdd");
  d.parseCapabilities();
  d.setLocation(trace("healthy-hdd", "short"));
  EXPECT_EQ(d.runSelfTest(KRSMARTDrive::kArgShortTest), 1u);
  auto& prefs = *mem.platform.preferences;
  EXPECT_EQ(prefs.integerForKey(d.driveLocation().value() + "_TestRunTime"), 2);
  EXPECT_EQ(prefs.integerForKey(d.driveLocation().value() + "_TestType"), 8);

  d.setLocation(trace("healthy-hdd", "abort"));
  EXPECT_TRUE(d.stopSelfTest());

  KRSMARTDrive busy = replayed("selftest-in-progress");
  busy.setLocation(trace("selftest-in-progress", "long"));
  EXPECT_EQ(busy.runSelfTest(KRSMARTDrive::kArgExtendedTest), 3u);

  KRSMARTDrive refusing = replayed("selftest-rejected");
  refusing.setLocation(trace("selftest-rejected", "short"));
  EXPECT_EQ(refusing.runSelfTest(KRSMARTDrive::kArgShortTest), 2u);
  EXPECT_FALSE(prefs.objectForKey(refusing.driveLocation().value() + "_TestType"));
}

TEST_F(Replay, DiskThatFailedItsAssessment) {
  KRSMARTDrive drive = replayed("failed-health");
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

TEST_F(Replay, DiskWithGrowingDefects) {
  KRSMARTDrive drive = replayed("read-errors");
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

TEST_F(Replay, ErrorCountsOfReplayedLogs) {
  prefs().setBool("CustomErrorCount", true);
  prefs().setInteger("CustomErrorCountValue", 20);
  struct Case {
    const char* description;
    int32_t count;
    size_t entries;
    bool failing;
  } cases[] = {
      {"read-errors", 14, 5, false},
      {"error-log-wrapped", 27, 5, true},
      {"error-log-partial", 3, 3, false},
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

TEST_F(Replay, EntriesWithFewCommands) {
  KRSMARTDrive drive = replayed("error-log-partial", "error");
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

TEST_F(Replay, AttributeThatFailedInThePast) {
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
    KRSMARTDrive drive = replayed("attribute-in-the-past");
    drive.updateInfo();
    EXPECT_EQ(drive.driveHealth(), c.health);
    EXPECT_EQ(reasons(drive), c.reasons);
    EXPECT_EQ(drive.driveTestsCount(), 0u);
    EXPECT_EQ(drive.driveLastTestTime(), -1);
    EXPECT_TRUE(drive.driveErrorLogEntries().empty());
  }
}

TEST_F(Replay, TemperaturesInFahrenheit) {
  prefs().setBool("DisplayTempInFahrenheit", true);
  KRSMARTDrive drive = replayed("attribute-in-the-past");
  drive.parseAttributes();
  EXPECT_EQ(drive.driveTemperature(), 113);
  EXPECT_EQ(drive.driveAirflowTemperature(), 131);
  KRSMARTAttribute t = *drive.driveAttribute(3);
  EXPECT_EQ(t.getName(), "Temperature (F)");
  EXPECT_FALSE(t.getTemperatureAvailable());  // smartctl 7 writes "(Min/Max 30/60)"
  EXPECT_EQ(drive.drivePowerOnHours(), 1200);
}

TEST_F(Replay, SelfTestLogs) {
  KRSMARTDrive running = replayed("selftest-in-progress");
  running.updateInfo();
  ASSERT_EQ(running.driveTestsCount(), 2u);
  EXPECT_EQ(running.driveSelfTestLog(0)->getStatus(), "Self-test routine in progress");
  EXPECT_EQ(running.driveSelfTestLog(0)->getRemaining(), 90);
  EXPECT_FALSE(running.driveTestsFail());
  EXPECT_EQ(running.driveHealth(), 1);

  KRSMARTDrive fresh = replayed("no-selftests");
  fresh.parseSelftestLog();
  EXPECT_EQ(fresh.driveTestsCount(), 0u);
  EXPECT_FALSE(fresh.driveSelfTestLog(0));
  EXPECT_FALSE(fresh.driveLastTestStatus());
}

TEST_F(Replay, SmartDisabledCountsAsATestInProgress) {
  KRSMARTDrive drive = replayed("smart-disabled");
  drive.parseSelftestLog();
  EXPECT_EQ(prefs().integerForKey("TestsInProgress"), 1);
  EXPECT_TRUE(drive.driveTestInProgress());
  EXPECT_EQ(drive.driveTestsCount(), 0u);
}

}  // namespace
