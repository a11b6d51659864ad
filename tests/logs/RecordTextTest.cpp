// The records' report texts: the rows of the drive report.
#include <gtest/gtest.h>

#include "logs/KRSMARTAttribute.h"
#include "logs/KRSMARTErrorLog.h"
#include "logs/KRSMARTSelfTestLog.h"
#include "tests/CaseFile.h"
#include "tests/support/TestPlatform.h"

namespace {

KRSMARTAttribute attribute(int32_t id, std::optional<std::string> name, uint32_t flag, std::optional<std::string> type,
                           std::optional<std::string> updated, int32_t failed, int64_t raw) {
  KRSMARTAttribute a;
  a.setIDNumber(id);
  a.setName(std::move(name));
  a.setFlag(flag);
  a.setValue(100);
  a.setWorst(100);
  a.setThresh(10);
  a.setType(std::move(type));
  a.setUpdated(std::move(updated));
  a.setFailed(failed);
  a.setRaw(raw);
  return a;
}

using RecordText = testing_support::PlatformTest;

// The cases of tests/logs/record-texts.txt.
TEST_F(RecordText, AttributeRows) {
  using testing_support::orNone;
  for (const auto& c : testing_support::readCases("logs/record-texts.txt"))
    EXPECT_EQ(attribute(std::stoi(c[0]), orNone(c[1]), std::stoul(c[2], nullptr, 16), orNone(c[3]), orNone(c[4]),
                        std::stoi(c[5]), std::stoll(c[6]))
                  .description(),
              c[7])
        << c.line;
}

TEST_F(RecordText, FrenchNamesGetTheirWiderColumn) {
  mem.strings->language = "French";
  EXPECT_EQ(attribute(9, "Heures de fonctionnement", 0x32, "Old_age", "Always", 1, 21532).description(),
            "9     Heures de fonctionnement" + std::string(90 - 24, ' ') +
                "0x0032     100     100     010     Old_age      Always      Never     21532");
}

TEST_F(RecordText, ErrorLogEntries) {
  KRSMARTErrorLog e;
  e.setRegisterER(0x84);
  e.setRegisterST(0x51);
  e.setRegisterSC(0x01);
  e.setRegisterSN(0xbc);
  e.setRegisterCL(0x0a);
  e.setRegisterDH(0xe0);
  e.setError1(5);
  e.setLBA(2748);
  struct Case {
    int32_t error2, sectors;
    const char* line;
  } cases[] = {
      {1, 1, "  Error: Interface CRC error, Command Aborted with 1 sectors at LBA = ABC\n"},
      {1, 0, "  Error: Interface CRC error, Command Aborted\n"},
      {0, 8, "  Error: Interface CRC error  with 8 sectors at LBA = ABC\n"},
      {0, -1, "  Error: Interface CRC error\n"},
      {-3, 0, "  Error: Interface CRC error\n"},
  };
  for (const Case& c : cases) {
    e.setError2(c.error2);
    e.setSectors(c.sectors);
    EXPECT_NE(e.description().find(std::string("  -- -- -- -- -- -- --\n  84 51 01 BC 0A 00 E0\n") + c.line),
              std::string::npos)
        << c.line;
  }

  KRSMARTErrorLog bare;
  EXPECT_EQ(bare.description(),
            "Error 0 occured at disk power-on lifetime: 0 hours\n"
            "  When the command that caused the error occurred, \n"
            "  After command completion occurred, registers were:\n"
            "  ER ST SC SN CL CH DH\n"
            "  -- -- -- -- -- -- --\n"
            "  00 00 00 00 00 00 00\n"
            "  Error: Unknown\n"
            "  Commands leading to the command that caused the error were:\n"
            "  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name\n"
            "  -- -- -- -- -- -- -- --  ----------------  --------------------\n");
  EXPECT_FALSE(bare.getLastErrorCommand());
}

TEST_F(RecordText, SelfTestEntries) {
  KRSMARTSelfTestLog t;
  t.setLifetime(1234);
  t.setNumber(21);
  t.setType("Short offline");
  t.setStatus("Completed: read failure");
  t.setRemaining(90);
  t.setLBA(1953525134);
  EXPECT_EQ(t.description(),
            "#21  Short offline       Completed: read failure        90%      1234         1953525134");

  KRSMARTSelfTestLog unknown;
  unknown.setType(std::string(20, 'T'));
  EXPECT_EQ(unknown.description(), "# 0  " + std::string(20, 'T') + "  Unknown type         0%         0         0");
  unknown.setType(std::nullopt);
  unknown.description();
  EXPECT_EQ(unknown.getType(), "Unknown type");
  EXPECT_EQ(unknown.getStatus(), "Unknown type");
}

}  // namespace
