// The overall health, identity and general SMART values of an ATA drive.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "logs/Ata.h"
#include "platform/Exception.h"
#include "tests/CaseFile.h"
#include "tests/logs/SmartctlSamples.h"
#include "tests/support/DriveFixture.h"

namespace {

using testing_support::answerLines;
using testing_support::capabilities;

TEST(AtaHealth, Answers) {
  struct Case {
    const char* body;
    int32_t health;
    std::optional<std::string> overall;
  } cases[] = {
      {"=== START ===\nSMART overall-health self-assessment test result: PASSED\n", logs::kHealthPassed, "PASSED"},
      {"=== START ===\nSMART overall-health self-assessment test result: FAILED!\n", logs::kHealthFailed, "FAILED!"},
      {"=== START ===\nSMART overall-health self-assessment test result: UNKNOWN\n", logs::kHealthUnknown, "UNKNOWN"},
      // the verdict must come after the banner's three lines
      {"SMART overall-health self-assessment test result: PASSED\n", logs::kHealthUnknown, std::nullopt},
      {"=== START ===\nSMART Status not supported\n", logs::kHealthUnknown, std::nullopt},
  };
  for (const auto& c : cases) {
    logs::Findings findings;
    findings.startCheck();
    std::optional<std::string> overall;
    logs::parseAtaHealth(answerLines(c.body), {}, overall, findings);
    EXPECT_EQ(findings.health, c.health) << c.body;
    EXPECT_EQ(overall, c.overall) << c.body;
  }
}

logs::AtaIdentity identity(const std::string& body) {
  logs::AtaIdentity id;
  logs::parseAtaIdentity(answerLines(body), {}, id, [] { return true; });
  return id;
}

TEST(AtaIdentity, FirstValueStays) {
  logs::AtaIdentity id = identity("Serial Number:    FIRST\nSerial Number:    SECOND\n");
  EXPECT_EQ(id.serialNumber, "FIRST");
  logs::parseAtaIdentity(answerLines("Serial Number:    OTHER\nDevice Model:     M\n"), {}, id, {});
  EXPECT_EQ(id.serialNumber, "FIRST");
  EXPECT_EQ(id.model, "M");
}

// The cases of tests/logs/identity.txt.
TEST(AtaIdentity, ValueRules) {
  const std::map<std::string, std::optional<std::string> logs::AtaIdentity::*> fields{
      {"capacity", &logs::AtaIdentity::capacity},
      {"ata", &logs::AtaIdentity::ataVersion},
      {"sata", &logs::AtaIdentity::sataVersion},
      {"family", &logs::AtaIdentity::modelFamily}};
  for (const auto& c : testing_support::readCases("logs/identity.txt"))
    EXPECT_EQ(identity(c[1] + "\n").*fields.at(c[0]), c[2]) << c.line;
}

TEST(AtaIdentity, MalformedLinesRaiseAndKeepWhatCameBefore) {
  logs::AtaIdentity id;
  EXPECT_THROW(logs::parseAtaIdentity(answerLines("Device Model:     X\nUser Capacity:    500,107,862,016 bytes\n"
                                                  "Rotation Rate:    7200 rpm\n"),
                                      {}, id, {}),
               platform::Exception);
  EXPECT_EQ(id.model, "X");
  EXPECT_FALSE(id.capacity);
  EXPECT_FALSE(id.rotationRate);
  EXPECT_THROW(identity("Device Model:WDC\n"), platform::Exception);
}

logs::AtaCapabilities parsed(const std::string& body, logs::Findings& findings, const logs::Settings& settings = {}) {
  logs::AtaCapabilities caps;
  logs::parseAtaCapabilities(answerLines(body), settings, caps, findings);
  return caps;
}

std::string status(int value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%4d", value);
  return buf;
}

TEST(AtaCapabilities, ReadsEveryValue) {
  logs::Findings findings;
  logs::AtaCapabilities c = parsed(capabilities(), findings);
  EXPECT_EQ(c.offlineDataStatus, 0x82u);
  EXPECT_EQ(c.selftestStatus, 0);
  EXPECT_EQ(c.timeOfflineData, 7380);
  EXPECT_EQ(c.dataCapabilities, 0x7bu);
  EXPECT_EQ(c.smartCapabilities, 3u);
  EXPECT_EQ(c.errorLoggingCapabilities, 1u);
  EXPECT_TRUE(c.generalPurposeLogging);
  EXPECT_EQ(c.shortSelftestTime, 2);
  EXPECT_EQ(c.longSelftestTime, 76);
  EXPECT_EQ(c.conveyanceSelftestTime, 5);
  EXPECT_FALSE(parsed("Error logging capability:        (0x00)\t\nNo General Purpose Logging support.\n", findings)
                   .generalPurposeLogging);
}

// The "execution" cases of tests/logs/self-test-log.txt.
TEST(AtaCapabilities, FailedTestRule) {
  for (const auto& c : testing_support::readCases("logs/self-test-log.txt", "execution")) {
    logs::Findings findings;
    findings.startCheck();
    if (c[1] == "failed") findings.health = logs::kHealthFailed;
    logs::Settings settings;
    settings.failedTestIsNew = c[1] == "new";
    EXPECT_EQ(parsed(capabilities("0x82", status(std::stoi(c[0]))), findings, settings).selftestStatus,
              std::stoi(c[0]));
    const bool marked = c[2] == "2";
    EXPECT_EQ(findings.health, std::stoi(c[2])) << c.line;
    EXPECT_EQ(findings.selftestFail, marked) << c.line;
    EXPECT_EQ(findings.failureReasons,
              marked ? std::optional(std::vector<std::string>{"Failed selftest status"}) : std::nullopt)
        << c.line;
  }
}

TEST(AtaCapabilities, AnswerCutAfterAFirstLabelEndsTheParse) {
  testing_support::ParserLog log;
  logs::Findings findings;
  logs::AtaCapabilities caps = parsed(capabilities("0x82", " 249"), findings);
  logs::parseAtaCapabilities(answerLines("Offline data collection status:  (0x00)\tnever\n"
                                         "Short self-test routine \nrecommended polling time: \t (   9) minutes.\n"
                                         "Conveyance self-test routine\n"),
                             log.settings, caps, findings);
  EXPECT_TRUE(log.contains("Warning: Capabilities did not return all data. Please rescan."));
  EXPECT_FALSE(log.contains("Done parsing capabilites."));
  EXPECT_EQ(caps.offlineDataStatus, 0u);
  EXPECT_EQ(caps.shortSelftestTime, 9);
  EXPECT_EQ(caps.selftestStatus, 249);  // not in this answer: kept
  EXPECT_EQ(caps.conveyanceSelftestTime, 5);
}

TEST(AtaCapabilities, TwoLineRowWaitsForItsSecondLabel) {
  logs::Findings findings;
  EXPECT_EQ(parsed("Short self-test routine\nsomething else\nShort self-test routine again\n"
                   "recommended polling time: \t (  11) minutes.\nend\n",
                   findings)
                .shortSelftestTime,
            11);
}

TEST(AtaCapabilities, OneLineRowWithoutWindowRaises) {
  logs::Findings findings;
  for (const char* body : {"Self-test execution status:      no number\n", "SMART capabilities:     (0x3)\n"})
    EXPECT_THROW(parsed(body, findings), platform::Exception) << body;
}

}  // namespace
