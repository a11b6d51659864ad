#include <gtest/gtest.h>

#include "support/KRSparkleVersionComparator.h"
#include "tests/CaseFile.h"

namespace {

// The cases of tests/support_services/versions.txt.
TEST(KRSparkleVersionComparator, OrdersByTheFirstFiveUnits) {
  const auto& c = KRSparkleVersionComparator::defaultComparator();
  auto version = [](const std::string& v) { return v == "-" ? std::string() : v; };
  for (const auto& pair : testing_support::readCases("support_services/versions.txt")) {
    const NSComparisonResult order = pair[2] == "<"   ? NSOrderedAscending
                                     : pair[2] == ">" ? NSOrderedDescending
                                                      : NSOrderedSame;
    EXPECT_EQ(c.compareVersion(version(pair[0]), version(pair[1])), order) << pair.line;
    EXPECT_EQ(c.compareVersion(version(pair[1]), version(pair[0])), -order) << pair.line;
  }
  EXPECT_EQ(c.compareVersion("1.2", "1.2\x01"), NSOrderedAscending);
}

TEST(KRSparkleVersionComparator, ComparesUtf16UnitsNotCodePoints) {
  const auto& c = KRSparkleVersionComparator::defaultComparator();
  // U+00E9 is one unit above 'z'.
  EXPECT_EQ(c.compareVersion("1.2.\xC3\xA9", "1.2.z"), NSOrderedDescending);
  // U+1D7D8 is stored as the surrogate 0xD835, which is below U+FFFD even
  // though the code point is above it.
  EXPECT_EQ(c.compareVersion("1.2.\xF0\x9D\x9F\x98", "1.2.\xEF\xBF\xBD"), NSOrderedAscending);
  // A surrogate pair takes two of the five units: the sixth differs.
  EXPECT_EQ(c.compareVersion("1.\xF0\x9D\x9F\x98.9", "1.\xF0\x9D\x9F\x98.1"), NSOrderedSame);
  // Malformed bytes read as U+FFFD instead of failing.
  EXPECT_EQ(c.compareVersion("1.2.\xFF", "1.2.\xEF\xBF\xBD"), NSOrderedSame);
}

}  // namespace
