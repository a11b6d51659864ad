#include "logs/TextScanner.h"

#include <gtest/gtest.h>

#include "platform/Exception.h"
#include "tests/CaseFile.h"

namespace {

using logs::TextScanner;

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

// The cases of tests/logs/text-scanner.txt.
TEST(TextScanner, SingleReads) {
  for (const auto& c : testing_support::readCases("logs/text-scanner.txt")) {
    TextScanner s(c[1]);
    bool ok;
    std::string value = read(c[0], s, ok);
    EXPECT_EQ(ok, c[2] == "yes") << c.line;
    EXPECT_EQ(value, c[3]) << c.line;
    EXPECT_EQ(s.position(), std::stoul(c[4])) << c.line;
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
