// The ATA error log: entries, command rows, and the error-count rule.
#include <gtest/gtest.h>

#include <map>

#include "logs/Ata.h"
#include "platform/Format.h"
#include "tests/CaseFile.h"
#include "tests/logs/SmartctlSamples.h"
#include "tests/support/DriveFixture.h"

namespace {

using testing_support::answerLines;

const char* kSection = "=== START OF READ SMART DATA SECTION ===\n";

// One entry as smartctl prints it, with `commands` rows of READ DMA EXT.
std::string entry(int number, const std::string& description, int commands = 5) {
  std::string e = "Error " + std::to_string(number) +
                  " occurred at disk power-on lifetime: 812 hours (33 days + 20 hours)\n"
                  "  When the command that caused the error occurred, the device was active or idle.\n\n"
                  "  After command completion occurred, registers were:\n"
                  "  ER ST SC SN CL CH DH\n"
                  "  -- -- -- -- -- -- --\n"
                  "  40 51 08 cd ab 00 e0  " +
                  description +
                  "\n\n"
                  "  Commands leading to the command that caused the error were:\n"
                  "  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name\n"
                  "  -- -- -- -- -- -- -- --  ----------------  --------------------\n";
  for (int i = 0; i < commands; ++i)
    e += "  25 00 08 cd ab 00 e0 00      00:01:02.34" + std::to_string(i) + "  READ DMA EXT\n";
  return e + "\n";
}

std::string withEntries(const std::string& entries, const std::string& count = "1") {
  return std::string(kSection) + "SMART Error Log Version: 1\nATA Error Count: " + count + "\n" + entries;
}

class ErrorLogStep : public testing::Test {
 protected:
  ErrorLogStep() { findings.startCheck(); }
  void parse(const std::string& body) {
    log.messages.clear();
    logs::parseAtaErrorLog(answerLines(body), log.settings, remembered, errorLog, findings);
  }
  const std::vector<KRSMARTErrorLog>& entries() { return *errorLog.entries; }

  testing_support::ParserLog log;
  logs::Remembered remembered;
  logs::AtaErrorLog errorLog;
  logs::Findings findings;
};

TEST_F(ErrorLogStep, FiveShownOfSixErrorsWithTheirNumbersAndTimes) {
  parse(samples::text("SixErrorsLog"));
  ASSERT_EQ(entries().size(), 5u);
  const KRSMARTErrorLog& e = entries()[0];
  EXPECT_EQ(e.getActivity(), "the device was active or idle.");
  EXPECT_EQ(std::vector<uint32_t>({e.getRegisterER(), e.getRegisterST(), e.getRegisterSC(), e.getRegisterSN(),
                                   e.getRegisterCL(), e.getRegisterCH(), e.getRegisterDH()}),
            std::vector<uint32_t>({0x40, 0x51, 0x00, 0xff, 0xff, 0xff, 0x0f}));
  EXPECT_EQ(e.getError1Code(), 13);
  EXPECT_EQ(e.getError2Code(), 0);
  EXPECT_EQ(e.getSectors(), 0);
  EXPECT_EQ(e.getLBA(), 268435455);
  std::vector<KRSMARTErrorCommand> commands = e.getErrorCommands();
  ASSERT_EQ(commands.size(), 5u);
  EXPECT_EQ(commands[0].getRegisterCR(), 0x60u);
  EXPECT_EQ(commands[0].getRegisterDH(), 0x4fu);
  EXPECT_EQ(commands[0].getPowerUpTime(), "00:07:47.379");
  EXPECT_EQ(commands[3].getCommand(), "SET FEATURES [Enable SATA feature]");
  EXPECT_EQ(commands[4].getCommand(), "READ NATIVE MAX ADDRESS EXT [OBS-ACS-3]");
  EXPECT_EQ(e.getLastErrorCommand(), "READ FPDMA QUEUED");
  for (const char* m : {"Parsing error log.", "Found SMART error log version.", "Found log count.",
                        "Found and reading error.", "Reading error commands.", "Done parsing error log."})
    EXPECT_TRUE(log.contains(m)) << m;
  EXPECT_FALSE(log.contains("Less than 5 commands- stopping read."));
  EXPECT_EQ(errorLog.count, 6);
  EXPECT_EQ(errorLog.version, 1);
  EXPECT_EQ(entries()[0].getNumber(), 6);
  EXPECT_EQ(entries()[0].getTime(), 1618);
  EXPECT_EQ(entries()[4].getNumber(), 2);
  EXPECT_EQ(entries()[2].getTime(), 1617);
  // Entries beyond the fifth are kept too.
  parse(samples::text("SixErrorsLog") + entry(1, "Error: UNC 8 sectors at LBA = 0x0000abcd = 43981"));
  ASSERT_EQ(entries().size(), 6u);
  EXPECT_EQ(entries()[5].getSectors(), 8);
}

TEST_F(ErrorLogStep, FewerThanFiveCommandsBeforeTheNextEntry) {
  parse(samples::text("CableErrorsLog"));
  ASSERT_EQ(entries().size(), 2u);
  const KRSMARTErrorLog& first = entries()[0];
  EXPECT_EQ(first.getError1Code(), 5);  // ICRC
  EXPECT_EQ(first.getError2Code(), 1);  // ABRT
  EXPECT_EQ(first.getSectors(), 8);
  EXPECT_EQ(first.getLBA(), 60439583);
  ASSERT_EQ(first.getErrorCommands().size(), 3u);
  EXPECT_EQ(first.getErrorCommands()[0].getPowerUpTime(), "1d+02:13:44.120");
  EXPECT_EQ(first.getErrorCommands()[2].getCommand(), "WRITE DMA");
  const KRSMARTErrorLog& second = entries()[1];
  EXPECT_EQ(second.getActivity(), "the device was in standby mode.");
  EXPECT_EQ(second.getError1Code(), 1);
  EXPECT_EQ(second.getError2Code(), 0);
  ASSERT_EQ(second.getErrorCommands().size(), 1u);
  EXPECT_EQ(second.getLastErrorCommand(), "SET FEATURES [Set transfer mode]");
  EXPECT_TRUE(log.contains("Less than 5 commands- stopping read."));
}

// The cases of tests/logs/error-log.txt.
TEST_F(ErrorLogStep, ErrorDescriptions) {
  for (const auto& c : testing_support::readCases("logs/error-log.txt", "description")) {
    parse(withEntries(entry(1, c[0])));
    ASSERT_EQ(entries().size(), 1u) << c.line;
    const KRSMARTErrorLog& e = entries()[0];
    EXPECT_EQ(std::make_tuple(e.getError1Code(), e.getError2Code(), e.getSectors(), e.getLBA()),
              std::make_tuple(std::stoi(c[1]), std::stoi(c[2]), std::stoi(c[3]), std::stoll(c[4])))
        << c.line;
  }
}

TEST_F(ErrorLogStep, TruncatedEntriesAreDropped) {
  struct Case {
    std::string body;
    size_t entries, lastCommands;
  } cases[] = {
      // first line of an entry is the last line
      {withEntries(entry(2, "Error: UNC") + "Error 1 occurred at disk power-on lifetime: 5 hours (0 days + 5 hours)\n"),
       1, 5},
      // cut before the register line
      {withEntries(entry(2, "Error: UNC", 2) +
                   "Error 1 occurred at disk power-on lifetime: 5 hours (0 days + 5 hours)\n"
                   "  When the command that caused the error occurred, the device was active or idle.\n"
                   "  After command completion occurred, registers were:\n"),
       1, 2},
      // headings of the commands cut off
      {withEntries(entry(1, "Error: UNC").substr(0, entry(1, "Error: UNC").find("  CR FR"))), 0, 0},
      // the command headings end the output: an entry without commands
      {withEntries(entry(1, "Error: UNC", 0)), 1, 0},
  };
  for (const Case& c : cases) {
    parse(c.body);
    ASSERT_EQ(entries().size(), c.entries) << c.body;
    if (c.entries) {
      EXPECT_EQ(entries().back().getErrorCommands().size(), c.lastCommands) << c.body;
      if (c.lastCommands == 0) {
        EXPECT_FALSE(entries().back().getLastErrorCommand());
      }
    }
    EXPECT_EQ(log.contains("Error log truncated- stopping read."), c.entries == 0 || c.lastCommands != 0) << c.body;
    EXPECT_TRUE(log.contains("Done parsing error log."));
  }
}

TEST_F(ErrorLogStep, ReadFailureEndsTheLog) {
  parse(withEntries(entry(2, "Error: UNC") + "Error SMART Error Log Read failed: Input/output error\n" +
                    entry(1, "Error: ABRT")));
  ASSERT_EQ(entries().size(), 1u);
  EXPECT_EQ(entries()[0].getError1Code(), 13);
  EXPECT_TRUE(log.contains("Error reading SMART Error log."));
}

TEST_F(ErrorLogStep, AnEntryAmongTheFirstFiveLinesEndsTheWalk) {
  parse(entry(1, "Error: UNC") + entry(2, "Error: ABRT"));
  EXPECT_TRUE(entries().empty());
}

TEST_F(ErrorLogStep, NoErrorsLogged) {
  struct Case {
    std::string body;
  } cases[] = {{samples::text("NoErrorsLog")}, {"=== START OF READ SMART DATA SECTION ===\nSomething else entirely\n"}};
  for (const Case& c : cases) {
    parse(samples::text("SixErrorsLog"));
    parse(c.body);
    EXPECT_EQ(errorLog.count, 0);
    EXPECT_TRUE(entries().empty());
  }
}

TEST_F(ErrorLogStep, CountRule) {
  for (const auto& c : testing_support::readCases("logs/error-log.txt", "count")) {
    SCOPED_TRACE(c.line);
    const std::string settings = " " + c[1] + " ";
    log.settings.rememberErrorCount = settings.find(" remember ") != std::string::npos;
    log.settings.customErrorCount = settings.find(" limit=") != std::string::npos;
    log.settings.customErrorCountValue =
        log.settings.customErrorCount ? std::stoll(settings.substr(settings.find("limit=") + 6)) : 0;
    remembered = logs::Remembered({{"_LastErrorCount", std::stoll(c[2])}});
    findings = {};
    findings.startCheck();
    const bool failed = settings.find(" failed ") != std::string::npos, failing = c[3] == "yes";
    if (failed) findings.health = logs::kHealthFailed;
    parse(withEntries("", c[0]));
    EXPECT_EQ(findings.errorsFail, failing);
    EXPECT_EQ(findings.health, failed ? logs::kHealthFailed : failing ? logs::kHealthFailing : logs::kHealthPassed);
    EXPECT_EQ(findings.failureReasons,
              failing ? std::optional(std::vector<std::string>{"Too many drive errors"}) : std::nullopt);
    EXPECT_EQ(remembered.toStore().at("_LastErrorCount"), std::stoll(c[0]));
  }
}

TEST(ErrorLogRecords, ErrorWords) {
  for (const auto& c : testing_support::readCases("logs/error-log.txt", "word"))
    EXPECT_EQ(logs::parseErrorType(c[0]), std::stoi(c[1])) << c.line;
}

using ErrorLogRecordTexts = testing_support::PlatformTest;

// The texts themselves show in the report tests; here the codes outside the
// table and a translated text.
TEST_F(ErrorLogRecordTexts, ErrorTypeTexts) {
  for (int32_t code : {0, 15, -1}) EXPECT_EQ(KRSMARTErrorLog::errorTypeToString(code), "Unknown") << code;
  mem.strings->entries[{"Main", "CTO"}] = "Délai dépassé";
  EXPECT_EQ(KRSMARTErrorLog::errorTypeToString(3), "Délai dépassé");
}

TEST(ErrorLogRecords, CommandRows) {
  using testing_support::orNone;
  for (const auto& c : testing_support::readCases("logs/error-log.txt", "command")) {
    KRSMARTErrorCommand r = logs::parseErrorCommandLine(c[0]);
    EXPECT_EQ(platform::format("%02x %02x %02x %02x %02x %02x %02x %02x", r.getRegisterCR(), r.getRegisterFR(),
                               r.getRegisterSC(), r.getRegisterSN(), r.getRegisterCL(), r.getRegisterCH(),
                               r.getRegisterDH(), r.getRegisterDC()),
              c[1])
        << c.line;
    EXPECT_EQ(r.getPowerUpTime(), orNone(c[2])) << c.line;
    EXPECT_EQ(r.getCommand(), orNone(c[3])) << c.line;
  }
}

}  // namespace
