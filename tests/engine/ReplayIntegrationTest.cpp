// Simulated drives from tarvel-fakedrive, replayed by the real smartctl the
// way a replayed drive is: "-" as the device and the trace on stdin.
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

}  // namespace

class Replay : public testing_support::PlatformTest {
 protected:
  void SetUp() override {
    if (!fs::exists(kSmartctl)) GTEST_SKIP() << "smartmontools is not installed";
    ASSERT_TRUE(fs::exists(tool())) << "build tarvel-fakedrive first";
    fs::create_directories(bundle() / "Contents/MacOS");
    fs::create_symlink(kSmartctl, bundle() / "Contents/MacOS/smartctl");
    fs::create_directories(mem.platform.bundle.logsFolder);
  }

  fs::path tool() const { return buildDir() / "tools/fakedrive/tarvel-fakedrive"; }
  fs::path bundle() const { return scratch.path() / "Replay.app"; }

  // The trace of a description for one smartctl option (tool mode).
  std::string trace(const std::string& name, const std::string& mode = "a") {
    fs::path out = scratch.path() / (name + "." + mode + ".trdr");
    KRTask task;
    task.setRawDataPath(out.string());
    task.parseCommandLine(tool().string(), std::vector<std::string>{"--for", mode, description(name).string()});
    EXPECT_GT(fs::file_size(out), 1000u) << name << ": " << testing_support::readFile(out);
    return out.string();
  }

  KRSMARTDrive replayed(const std::string& name) {
    KRSMARTDrive d;
    d.setBundlePath(bundle().string());
    d.setDriveAsFile(true);
    d.setLocation(trace(name));
    return d;
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

  EXPECT_EQ(d.driveHealth(), kHealthPassed);
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
      {"failed-health", kHealthFailed, "FAILED!", 116, "was suspended by an interrupting command from host",
       "The previous self-test completed having the read element of the test failed.", false},
      {"failing-reallocated", kHealthFailing, "PASSED", 121, "was completed without error",
       "The previous self-test completed having the read element of the test failed.", true},
      {"selftest-log-current-failure", kHealthFailing, "PASSED", 96, "was completed without error",
       "The previous self-test completed having the servo (and/or seek) element of the test failed.", true},
      {"selftest-in-progress", kHealthPassed, "PASSED", 249, "is in progress",
       "Self-test routine in progress... 90% of test remaining.", false},
      {"health-unsupported", kHealthFailed, "FAILED!", 0, "was completed without error",
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
    EXPECT_EQ(d.driveHealth(), kHealthUnknown) << name;
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
  EXPECT_EQ(d.runSelfTest(kArgShortTest), 1u);
  auto& prefs = *mem.platform.preferences;
  EXPECT_EQ(prefs.integerForKey(d.driveLocation().value() + "_TestRunTime"), 2);
  EXPECT_EQ(prefs.integerForKey(d.driveLocation().value() + "_TestType"), 8);

  d.setLocation(trace("healthy-hdd", "abort"));
  EXPECT_TRUE(d.stopSelfTest());

  KRSMARTDrive busy = replayed("selftest-in-progress");
  busy.setLocation(trace("selftest-in-progress", "long"));
  EXPECT_EQ(busy.runSelfTest(kArgExtendedTest), 3u);

  KRSMARTDrive refusing = replayed("selftest-rejected");
  refusing.setLocation(trace("selftest-rejected", "short"));
  EXPECT_EQ(refusing.runSelfTest(kArgShortTest), 2u);
  EXPECT_FALSE(prefs.objectForKey(refusing.driveLocation().value() + "_TestType"));
}
