#include <gtest/gtest.h>

#include <climits>

#include "logs/FieldHelpers.h"
#include "platform/Exception.h"

TEST(ParseLine, ValueAfterTheFirstColonBlank) {
  struct Case {
    std::string line, value;
  } cases[] = {
      {"Device Model:     WDC WD5000AAKX", "WDC WD5000AAKX"},
      {"Label:\t   value", "value"},
      {"Label: value with  inner blanks \t", "value with  inner blanks \t"},
      {"Time:12:34 then: rest", "rest"},  // no blank after the first colon
      {"SATA Version is:  SATA 3.0, 6.0 Gb/s (current: 3.0 Gb/s)", "SATA 3.0, 6.0 Gb/s (current: 3.0 Gb/s)"},
      {"a: b\r", "b\r"},
  };
  for (const auto& c : cases) EXPECT_EQ(logs::parseLine(c.line), c.value) << c.line;
}

TEST(ParseLine, RangeFailureWithoutAValue) {
  for (const char* line : {"no separator", "Label:value", "Label: \t  ", "Label:", ""})
    EXPECT_THROW(logs::parseLine(line), platform::Exception) << line;
}

TEST(ConvertStringToHex, ReadsTheSixCharacterWindow) {
  struct Case {
    std::string text;
    uint32_t value;
  } cases[] = {
      {"Offline data collection status:  (0x82)\tOffline", 130},
      {"status: (0x00)\t", 0},
      {"SMART capabilities:            (0x0003)\tSaves", 3},
      {"( 0x7b) SMART", 0x7b},
      {"(0X1a) x", 26},
      {"(ff) abc", 255},
      {"(0x1234567) x", 0x1234},  // cut to the window
      {"(zz0x1) abcd", 0},
      {"(0x) abcd", 0},
      {"x (0x10) (0x20) y", 16},  // first parenthesis only
  };
  for (const auto& c : cases) EXPECT_EQ(logs::convertStringToHex(c.text), c.value) << c.text;
}

TEST(ConvertStringToInt, WindowOrLeadingNumber) {
  struct Case {
    std::string text;
    bool paren;
    int32_t value;
  } cases[] = {
      {"( 480) seconds.", true, 480},
      {"polling time: \t (   2) minutes.", true, 2},
      {"(  -5) x", true, -5},
      {"(+7)    ", true, 7},
      {"( abc) d", true, 0},
      {"(12345678)", true, 123456},
      {"(\t 9) minutes", true, 9},
      {"   13 more words", false, 13},
      {"abc 13", false, 0},
      {"\t-42x", false, -42},
      {"", false, 0},
      {"-", false, 0},
      {"99999999999", false, INT32_MAX},
      {"-99999999999", false, INT32_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(logs::convertStringToInt(c.text, c.paren), c.value) << c.text;
}

TEST(NumberHelpers, RangeFailureWithoutAFullWindow) {
  for (const char* text : {"no parenthesis", "(0x82)", "ends with (", "(12345"}) {
    EXPECT_THROW(logs::convertStringToHex(text), platform::Exception) << text;
    EXPECT_THROW(logs::convertStringToInt(text, true), platform::Exception) << text;
  }
  EXPECT_EQ(logs::convertStringToInt("no parenthesis", false), 0);
}
