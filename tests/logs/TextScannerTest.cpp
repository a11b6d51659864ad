#include "logs/TextScanner.h"

#include <gtest/gtest.h>

#include "platform/Exception.h"

namespace {

using logs::TextScanner;

// One read from the start of `text`: did it succeed, what did it give
// (as text), and where did it leave the position.
struct ReadCase {
  const char* what;
  std::string text;
  bool ok;
  std::string value;
  size_t position;
};

std::string read(const std::string& what, TextScanner& s, bool& ok) {
  if (what == "int") {
    int32_t v = 0;
    ok = s.scanInt(v);
    return std::to_string(v);
  }
  if (what == "long") {
    int64_t v = 0;
    ok = s.scanLongLong(v);
    return std::to_string(v);
  }
  if (what == "hex") {
    uint32_t v = 0;
    ok = s.scanHexInt(v);
    return std::to_string(v);
  }
  if (what == "hex64") {
    uint64_t v = 0;
    ok = s.scanHexLongLong(v);
    return std::to_string(v);
  }
  std::string v;
  if (what == "word") ok = s.scanUpToBlank(v);
  else if (what == "text") ok = s.scanUpToDigit(v);
  else ok = s.scanRest(v);
  return v;
}

TEST(TextScanner, SingleReads) {
  const ReadCase cases[] = {
      {"int", "  \t42 rest", true, "42", 5},
      {"int", "-17", true, "-17", 3},
      {"int", "+8x", true, "8", 2},
      {"int", "-", false, "0", 0},
      {"int", "---", false, "0", 0},
      {"int", "  abc", false, "0", 0},
      {"int", "", false, "0", 0},
      {"int", "99999999999", true, "2147483647", 11},
      {"int", "-99999999999", true, "-2147483648", 12},
      {"int", "2147483647", true, "2147483647", 10},
      {"int", "-2147483648", true, "-2147483648", 11},
      {"long", "120748935622", true, "120748935622", 12},
      {"long", "99999999999999999999", true, "9223372036854775807", 20},
      {"long", "-9223372036854775808", true, "-9223372036854775808", 20},
      {"long", "21487h+38m", true, "21487", 5},
      {"hex", "0x0033   100", true, "51", 6},
      {"hex", "ff ff", true, "255", 2},
      {"hex", " 0X1A", true, "26", 5},
      {"hex", "0xg", true, "0", 1},  // the "0" is the number when no digit follows "0x"
      {"hex", "00:07:47.379", true, "0", 2},
      {"hex", "Error:", true, "14", 1},
      {"hex", "xyz", false, "0", 0},
      {"hex", "123456789", true, "4294967295", 9},
      {"hex64", "0x0fffffff = 268435455", true, "268435455", 10},
      {"hex64", "fffffffffffffffff", true, "18446744073709551615", 17},
      {"word", "  Raw_Read_Error_Rate     0x000f", true, "Raw_Read_Error_Rate", 21},
      {"word", "   ", false, "", 0},
      {"text", "  Error: UNC 8 sectors", true, "Error: UNC ", 13},
      {"text", "12 sectors", false, "", 0},
      {"text", "no digits at all", true, "no digits at all", 16},
      {"rest", "  READ DMA EXT  ", true, "READ DMA EXT  ", 16},
      {"rest", " \t", false, "", 0},
  };
  for (const ReadCase& c : cases) {
    TextScanner s(c.text);
    bool ok;
    std::string value = read(c.what, s, ok);
    EXPECT_EQ(ok, c.ok) << c.what << " of '" << c.text << "'";
    EXPECT_EQ(value, c.value) << c.what << " of '" << c.text << "'";
    EXPECT_EQ(s.position(), c.position) << c.what << " of '" << c.text << "'";
  }
}

TEST(TextScanner, FailedReadLeavesTheTextForTheNext) {
  TextScanner s("  --- Pre-fail");
  int64_t n = 7;
  EXPECT_FALSE(s.scanLongLong(n));
  EXPECT_EQ(n, 7);
  std::string word;
  ASSERT_TRUE(s.scanUpToBlank(word));
  EXPECT_EQ(word, "---");
  ASSERT_TRUE(s.scanUpToBlank(word));
  EXPECT_EQ(word, "Pre-fail");
  EXPECT_TRUE(s.atEnd());
}

TEST(TextScanner, PositionCanBeSetWithinTheText) {
  TextScanner s("# 1  Short");
  s.setPosition(1);
  int32_t n;
  ASSERT_TRUE(s.scanInt(n));
  EXPECT_EQ(n, 1);
  s.setPosition(10);  // the very end is a position too
  EXPECT_TRUE(s.atEnd());
  EXPECT_THROW(s.setPosition(11), platform::Exception);
  EXPECT_EQ(s.position(), 10u);
}

}  // namespace
