// Simulated drives from tarvel-fakedrive, replayed by the real smartctl the
// way a saved raw-data file is: "-" as the device and the trace on stdin.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "engine/KRSMARTDrive.h"
#include "monitor/RegisteredDefaults.h"
#include "platform/Format.h"
#include "tests/CaseFile.h"
#include "tests/support/TestPlatform.h"

namespace fs = std::filesystem;
using testing_support::buildDir;
using testing_support::readCases;
using testing_support::sourceDir;
using testing_support::split;

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
    prefs().registerDefaults(monitor::registeredDefaults());
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

  // A replayed drive after a whole check.
  KRSMARTDrive checked(const std::string& name) {
    KRSMARTDrive d = replayed(name);
    d.updateInfo();
    return d;
  }
  static std::vector<std::string> reasons(const KRSMARTDrive& d) {
    return d.getFailureReasonsText().value_or(std::vector<std::string>{});
  }
  static std::array<int32_t, 5> flags(const KRSMARTDrive& d) {
    return {d.driveReallocatedSectorsFail(), d.driveReallocatedEventsFail(), d.driveCurrentSectorsFail(),
            d.driveOfflineSectorsFail(), d.driveOtherAttributesFail()};
  }
};

TEST_F(Replay, HealthyDiskReadsCompletely) {
  int progress = 0;
  mem.platform.notifications->addObserver("KRUpdateInfoProgressBar",
                                          [&](const std::string&, const std::string&) { ++progress; });
  KRSMARTDrive d = checked("healthy-hdd");
  EXPECT_FALSE(d.exceptionOccurred());
  EXPECT_TRUE(mem.alerts->shown.empty());
  EXPECT_EQ(progress, 6);
  EXPECT_EQ(std::make_tuple(d.driveModelFamily(), d.driveModel(), d.driveSerialNumber(), d.driveFirmwareVersion()),
            std::make_tuple(std::optional<std::string>("Western Digital Red"),
                            std::optional<std::string>("WDC WD40EFRX-68N32N0"),
                            std::optional<std::string>("WD-WCC7K4HL2X9N"), std::optional<std::string>("82.00A82")));
  EXPECT_EQ(d.driveHealth(), logs::kHealthPassed);
  EXPECT_FALSE(d.getFailureReasonsText());
  EXPECT_EQ(d.driveOfflineDataCollectionTime(), 44160);
  EXPECT_EQ(d.driveExtendedSelfTestTime(), 468);
  EXPECT_FALSE(d.driveAbortOfflineCollection());
  // A replayed drive leaves no raw-data file behind.
  EXPECT_TRUE(fs::is_empty(mem.platform.bundle.logsFolder));
  EXPECT_EQ(d.smartctlVersion(), "7.3");
}

TEST_F(Replay, IdentityTexts) {
  for (const auto& c : readCases("engine/replay.txt", "identity")) {
    KRSMARTDrive d = replayed(c[0]);
    d.parseInfo();
    EXPECT_EQ(std::vector<std::optional<std::string>>(
                  {d.driveCapacity(), d.driveRotationRate(), d.driveATAVersion(), d.driveSATAVersion()}),
              std::vector<std::optional<std::string>>(c.fields.begin() + 1, c.fields.end()))
        << c.line;
    EXPECT_FALSE(d.getRunVeryPermissive()) << c.line;
  }
}

// What a whole check makes of each simulated drive.
TEST_F(Replay, Verdicts) {
  for (const auto& c : readCases("engine/replay.txt", "verdict")) {
    KRSMARTDrive d = checked(c[0]);
    const std::array<int32_t, 5> f = flags(d);
    EXPECT_EQ(
        std::to_string(d.driveHealth()) + " | " + platform::format("%d %d %d %d %d", f[0], f[1], f[2], f[3], f[4]),
        c[1] + " | " + c[2])
        << c.line;
    EXPECT_EQ(reasons(d), split(c[3])) << c.line;
    EXPECT_EQ(d.driveErrorLogEntries().size(), std::stoul(c[4])) << c.line;
    EXPECT_EQ(d.driveTestsCount(), std::stoull(c[5])) << c.line;
  }
  prefs().setBool("IgnoreAttribute190", false);
  EXPECT_EQ(reasons(checked("attribute-in-the-past")),
            (std::vector<std::string>{"Attribute 3 failed in the past", "Attribute 190 status is failed"}));
  prefs().setBool("CustomErrorCount", true);
  prefs().setInteger("CustomErrorCountValue", 20);
  EXPECT_EQ(reasons(checked("error-log-wrapped")), std::vector<std::string>{"Too many drive errors"});
}

TEST_F(Replay, DecodedStatus) {
  for (const auto& c : readCases("engine/replay.txt", "status")) {
    KRSMARTDrive d = replayed(c[0]);
    d.parseHealth();
    d.parseCapabilities();
    EXPECT_EQ(d.driveOverallHealth(), c[1]) << c.line;
    EXPECT_EQ(d.driveSelfTestStatus(), std::stoi(c[2])) << c.line;
    EXPECT_EQ(d.driveOfflineDataCollectionActivity(), c[3]) << c.line;
    EXPECT_EQ(d.driveSelfTestExecution(), c[4]) << c.line;
  }
}

TEST_F(Replay, DrivesWithoutWorkingSmart) {
  // Unsupported and disabled SMART: smartctl answers the health request
  // without a verdict; a replay cannot switch SMART on.
  for (const char* name : {"smart-unsupported", "smart-disabled", "smart-ambiguous"}) {
    mem.log->clear();
    KRSMARTDrive d = replayed(name);
    d.setDebugState(true);
    d.updateInfo();
    EXPECT_EQ(d.driveHealth(), logs::kHealthUnknown) << name;
    EXPECT_TRUE(d.driveModel()) << name;
    bool disabled = std::string(name) == "smart-disabled";
    EXPECT_EQ(mem.log->contains("SMART cannot be reenabled."), disabled) << name;
    EXPECT_EQ(d.driveTestInProgress(), disabled) << name;
  }
  EXPECT_EQ(prefs().integerForKey("TestsInProgress"), 1);
}

TEST_F(Replay, SelfTestCommands) {
  KRSMARTDrive d = replayed("healthy-hdd");
  d.parseCapabilities();
  d.setLocation(trace("healthy-hdd", "short"));
  EXPECT_EQ(d.runSelfTest(KRSMARTDrive::kArgShortTest), 1u);
  EXPECT_EQ(prefs().integerForKey(d.driveLocation().value() + "_TestRunTime"), 2);
  EXPECT_EQ(prefs().integerForKey(d.driveLocation().value() + "_TestType"), 8);
  d.setLocation(trace("healthy-hdd", "abort"));
  EXPECT_TRUE(d.stopSelfTest());

  KRSMARTDrive busy = replayed("selftest-in-progress", "long");
  EXPECT_EQ(busy.runSelfTest(KRSMARTDrive::kArgExtendedTest), 3u);
  EXPECT_FALSE(prefs().objectForKey(busy.driveLocation().value() + "_TestType"));
  KRSMARTDrive refusing = replayed("selftest-rejected", "short");
  EXPECT_EQ(refusing.runSelfTest(KRSMARTDrive::kArgShortTest), 2u);
  EXPECT_FALSE(prefs().objectForKey(refusing.driveLocation().value() + "_TestType"));
}

TEST_F(Replay, LogsOfADiskThatFailedItsAssessment) {
  KRSMARTDrive drive = checked("failed-health");
  EXPECT_EQ(drive.driveReallocatedBadSectors(), 1998);
  const std::string key = *drive.driveSerialNumber();
  EXPECT_EQ(prefs().integerForKey(key + "_LastReallocatedEventCount"), 2107);
  EXPECT_EQ(prefs().integerForKey(key + "_LastTestPowerOnHours"), 45990);

  const KRSMARTErrorLog& e = drive.driveErrorLogEntries().at(0);
  EXPECT_EQ(std::make_tuple(e.getSectors(), e.getLBA(), e.getRegisterST()), std::make_tuple(8, 0x03b8a0c0, 0x51u));
  // The replay's closing warning follows the last entry and is read as one
  // more command row: only an "Error " line or the end stops the rows.
  ASSERT_EQ(e.getErrorCommands().size(), 4u);
  EXPECT_EQ(e.getErrorCommands()[3].getCommand(), "Warning: commands replayed out of sync");
  EXPECT_EQ(e.getLastErrorCommand(), "READ DMA EXT");
  EXPECT_EQ(e.getErrorCommands()[0].getPowerUpTime(), "12:44:03.517");
  EXPECT_TRUE(drive.driveTestsFail());
  EXPECT_FALSE(drive.driveNewTestFail());
  EXPECT_EQ(drive.driveSelfTestLog(0)->getLBA(), 62431424);

  const std::string report = drive.description();
  for (const char* line :
       {"\n5     Reallocated_Sector_Ct                  0x0033     005     005     005     "
        "Pre-fail     Always      FAILING NOW     1998\n",
        "\n  Error: Uncorrectable Error  with 8 sectors at LBA = 3B8A0C0\n",
        "\n# 2  Extended offline    Completed: read failure        80%     46301         62431424\n"})
    EXPECT_NE(report.find(line), std::string::npos) << line << report;
}

TEST_F(Replay, TheNextCheckRemembersWhatThisOneSaw) {
  KRSMARTDrive drive = checked("read-errors");
  prefs().setBool("RememberBadSectors", true);
  prefs().setBool("FailedTestIsNew", true);
  drive.updateInfo();
  EXPECT_EQ(drive.driveHealth(), logs::kHealthPassed);
  EXPECT_EQ(flags(drive), (std::array<int32_t, 5>{1, 1, 1, 1, 1}));
  EXPECT_TRUE(drive.driveTestsFail());
  EXPECT_FALSE(drive.driveNewTestFail());
  EXPECT_EQ(reasons(drive).size(), 4u);  // those of the first check
}

TEST_F(Replay, ErrorLogsAndTemperatures) {
  KRSMARTDrive drive = replayed("error-log-partial", "error");
  drive.parseErrorLog();
  EXPECT_EQ(drive.driveTotalErrors(), 3);
  const std::vector<KRSMARTErrorLog>& log = drive.driveErrorLogEntries();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(std::make_tuple(log[0].getErrorCommands().size(), log[0].getSectors(), log[0].getLBA()),
            std::make_tuple(size_t{2}, 1, int64_t{0x00123456}));
  EXPECT_EQ(std::make_tuple(log[1].getError1(), log[1].getError2(), log[1].getErrorCommands().size()),
            std::make_tuple(std::string("Interface CRC error"), std::string("Command Aborted"), size_t{1}));
  EXPECT_EQ(log[2].getActivity(), "the device was in standby mode.");
  EXPECT_EQ(log[2].getErrorCommands().size(), 3u);

  prefs().setBool("DisplayTempInFahrenheit", true);
  KRSMARTDrive hot = checked("attribute-in-the-past");
  EXPECT_EQ(hot.driveTemperature(), 113);
  EXPECT_EQ(hot.driveAirflowTemperature(), 131);
  EXPECT_EQ(hot.driveAttribute(3)->getName(), "Temperature (F)");
  EXPECT_FALSE(hot.driveAttribute(3)->getTemperatureAvailable());  // smartctl 7 writes "(Min/Max 30/60)"
}

}  // namespace
