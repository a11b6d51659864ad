// The ATA error log: entries, command rows, and the error-count rule.
#include <gtest/gtest.h>

#include <map>

#include "logs/Ata.h"
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
  for (int i = 0; i < commands; ++i) e += "  25 00 08 cd ab 00 e0 00      00:01:02.34" + std::to_string(i) + "  READ DMA EXT\n";
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

TEST_F(ErrorLogStep, FiveShownOfSixErrors) {
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
}

TEST_F(ErrorLogStep, NumbersTimesAndCount) {
  parse(samples::text("SixErrorsLog"));
  EXPECT_EQ(errorLog.count, 6);
  EXPECT_EQ(errorLog.version, 1);
  ASSERT_EQ(entries().size(), 5u);
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

TEST_F(ErrorLogStep, ErrorDescriptions) {
  struct Case {
    std::string description;
    int32_t error1, error2, sectors;
    int64_t lba;
  } cases[] = {
      {"Error: UNC at LBA = 0x0fffffff = 268435455", 13, 0, 0, 268435455},
      {"Error: UNC 8 sectors at LBA = 0x00abcdef = 11259375", 13, 0, 8, 11259375},
      {"Error: ICRC, ABRT 8 sectors at LBA = 0x039a3c1f = 60439583", 5, 1, 8, 60439583},
      {"Error: ICRC, ABRT at LBA = 0x0000abcd = 43981", 5, 1, 0, 43981},
      {"Error: IDNF 16 sectors at LBA = 0x0123456789ab = 1250999896491", 6, 0, 16, 0x0123456789ab},
      {"Device Fault; Error: ABRT 256 sectors at LBA = 0x0000f000 = 61440", 1, 0, 256, 61440},
      {"Error: UNC 1 sectors at LBA = 43981", 13, 0, 1, 43981},  // decimal, as other tools write it
      {"Error: MCR", 9, 0, 0, 0},
      {"Error: WP, NM", 14, 10, 0, 0},
      {"Error: 8 sectors at LBA = 0x10 = 16", 0, 0, 8, 16},  // too short to name an error
      {"", 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    parse(withEntries(entry(1, c.description)));
    ASSERT_EQ(entries().size(), 1u) << c.description;
    const KRSMARTErrorLog& e = entries()[0];
    EXPECT_EQ(e.getError1Code(), c.error1) << c.description;
    EXPECT_EQ(e.getError2Code(), c.error2) << c.description;
    EXPECT_EQ(e.getSectors(), c.sectors) << c.description;
    EXPECT_EQ(e.getLBA(), c.lba) << c.description;
  }
}

TEST_F(ErrorLogStep, TruncatedEntriesAreDropped) {
  struct Case {
    std::string body;
    size_t entries, lastCommands;
  } cases[] = {
      // first line of an entry is the last line
      {withEntries(entry(2, "Error: UNC") + "Error 1 occurred at disk power-on lifetime: 5 hours (0 days + 5 hours)\n"), 1, 5},
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
    EXPECT_EQ(log.contains("Error log truncated- stopping read."), c.entries == 0 || c.lastCommands != 0)
        << c.body;
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
  struct Case {
    const char* count;
    bool rememberErrorCount;
    std::optional<int64_t> customLimit;  // "CustomErrorCount" on with this value
    int64_t stored;
    bool failedAssessment;
    bool failing;
  } cases[] = {
      {"51", false, std::nullopt, 0, false, true},
      {"50", false, std::nullopt, 0, false, false},
      {"396 (device log contains only the most recent five errors)", false, std::nullopt, 0, false, true},
      {"60", true, std::nullopt, 60, false, false},  // remembered, unchanged
      {"61", true, std::nullopt, 60, false, true},   // remembered, grew
      {"61", false, std::nullopt, 60, false, true},  // remembered but not asked for
      {"1", false, 0, 0, false, true},
      {"80", false, std::nullopt, 0, true, false},  // a failed drive still remembers
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    log.settings.rememberErrorCount = c.rememberErrorCount;
    log.settings.customErrorCount = c.customLimit.has_value();
    log.settings.customErrorCountValue = c.customLimit.value_or(0);  // ignored while off
    remembered = logs::Remembered({{"_LastErrorCount", c.stored}});
    findings = {};
    findings.startCheck();
    if (c.failedAssessment) findings.health = logs::kHealthFailed;
    parse(withEntries("", c.count));
    EXPECT_EQ(findings.errorsFail, c.failing);
    EXPECT_EQ(findings.health, c.failedAssessment ? logs::kHealthFailed
                               : c.failing        ? logs::kHealthFailing
                                                  : logs::kHealthPassed);
    EXPECT_EQ(findings.failureReasons,
              c.failing ? std::optional(std::vector<std::string>{"Too many drive errors"}) : std::nullopt);
    EXPECT_EQ(remembered.toStore().at("_LastErrorCount"), std::stoll(c.count));
  }
}

TEST(ErrorLogRecords, ErrorWords) {
  const std::pair<const char*, int32_t> cases[] = {
      {"Error: ICRC, ABRT", 1}, {"Error: MCR", 9},  {"Error: MC", 8},     {"Error: ", 0}, {"", 0},
      {"AMNF", 2},              {"CCTO", 3},        {"EOM", 4},          {"IDNF", 6},    {"ILI", 7},
      {"NM", 10},               {"OBS", 11},        {"TK0NF", 12},       {"UNC", 13},    {"WP", 14},
      {"abrt", 0},              {"Error: UNC", 13}, {"xxICRCxx", 5},
  };
  for (const auto& [text, code] : cases) EXPECT_EQ(logs::parseErrorType(text), code) << text;
}

using ErrorLogRecordTexts = testing_support::PlatformTest;

TEST_F(ErrorLogRecordTexts, ErrorTypeTexts) {
  const std::pair<int32_t, const char*> cases[] = {
      {0, "Unknown"},   {15, "Unknown"},        {-1, "Unknown"},          {1, "Command Aborted"},
      {3, "Command Timed Out"}, {7, "ILI"},     {9, "Media Change Request"}, {12, "TracK 0 Not Found"},
      {14, "Write Protected"},
  };
  for (const auto& [code, text] : cases) EXPECT_EQ(KRSMARTErrorLog::errorTypeToString(code), text) << code;
  mem.strings->entries[{"Main", "CTO"}] = "Délai dépassé";
  mem.strings->entries[{"Main", "UNK"}] = "Inconnu";
  EXPECT_EQ(KRSMARTErrorLog::errorTypeToString(3), "Délai dépassé");
  EXPECT_EQ(KRSMARTErrorLog::errorTypeToString(99), "Inconnu");
  KRSMARTErrorLog e;
  e.setError1(5);
  e.setError2(1);
  EXPECT_EQ(e.getError1(), "Interface CRC error");
  EXPECT_EQ(e.getError2(), "Command Aborted");
}

TEST(ErrorLogRecords, CommandRows) {
  struct Case {
    const char* line;
    std::vector<uint32_t> registers;
    std::optional<std::string> time, command;
  } cases[] = {
      {"  25 00 08 1f 3c 9a e3 00  1d+02:13:44.120  READ DMA EXT", {0x25, 0, 8, 0x1f, 0x3c, 0x9a, 0xe3, 0},
       "1d+02:13:44.120", "READ DMA EXT"},
      {"c8 00 08 00 01 02 e0 00      00:01:02.345  READ DMA", {0xc8, 0, 8, 0, 1, 2, 0xe0, 0}, "00:01:02.345",
       "READ DMA"},
      // a short row: the time is read as registers as far as it goes
      {"60 00 08 ff ff 00:00:01.000  READ FPDMA QUEUED", {0x60, 0, 8, 0xff, 0xff, 0, 0, 0}, ":00:01.000",
       "READ FPDMA QUEUED"},
      {"", {0, 0, 0, 0, 0, 0, 0, 0}, std::nullopt, std::nullopt},
      {"zz", {0, 0, 0, 0, 0, 0, 0, 0}, "zz", std::nullopt},
  };
  for (const auto& c : cases) {
    KRSMARTErrorCommand r = logs::parseErrorCommandLine(c.line);
    EXPECT_EQ(std::vector<uint32_t>({r.getRegisterCR(), r.getRegisterFR(), r.getRegisterSC(), r.getRegisterSN(),
                                     r.getRegisterCL(), r.getRegisterCH(), r.getRegisterDH(), r.getRegisterDC()}),
              c.registers)
        << c.line;
    EXPECT_EQ(r.getPowerUpTime(), c.time) << c.line;
    EXPECT_EQ(r.getCommand(), c.command) << c.line;
  }
}

}  // namespace
