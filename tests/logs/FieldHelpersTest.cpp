#include <gtest/gtest.h>

#include "logs/FieldHelpers.h"
#include "platform/Exception.h"
#include "tests/CaseFile.h"

// The cases of tests/logs/field-helpers.txt.
TEST(FieldHelpers, Cases) {
  using testing_support::readCases;
  for (const auto& c : readCases("logs/field-helpers.txt", "line")) EXPECT_EQ(logs::parseLine(c[0]), c[1]) << c.line;
  for (const auto& c : readCases("logs/field-helpers.txt", "hex"))
    EXPECT_EQ(logs::convertStringToHex(c[0]), std::stoul(c[1], nullptr, 0)) << c.line;
  for (const auto& c : readCases("logs/field-helpers.txt", "int"))
    EXPECT_EQ(logs::convertStringToInt(c[1], c[0] == "window"), std::stoi(c[2])) << c.line;
}

TEST(ParseLine, RangeFailureWithoutAValue) {
  for (const char* line : {"no separator", "Label:value", "Label: \t  ", "Label:", ""})
    EXPECT_THROW(logs::parseLine(line), platform::Exception) << line;
}

TEST(NumberHelpers, RangeFailureWithoutAFullWindow) {
  for (const char* text : {"no parenthesis", "(0x82)", "ends with (", "(12345"}) {
    EXPECT_THROW(logs::convertStringToHex(text), platform::Exception) << text;
    EXPECT_THROW(logs::convertStringToInt(text, true), platform::Exception) << text;
  }
  EXPECT_EQ(logs::convertStringToInt("no parenthesis", false), 0);
}
