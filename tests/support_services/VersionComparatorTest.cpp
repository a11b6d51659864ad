#include <gtest/gtest.h>

#include "support/KRSparkleVersionComparator.h"

namespace {

struct Pair {
  const char* a;
  const char* b;
  NSComparisonResult expected;
};

TEST(KRSparkleVersionComparator, OrdersByTheFirstFiveUnits) {
  const Pair pairs[] = {
      {"1.2.3", "1.2.4", NSOrderedAscending},
      {"2.0.0", "1.9.9", NSOrderedDescending},
      {"1.2.3", "1.2.3", NSOrderedSame},
      // units beyond the fifth are never read
      {"1.2.3", "1.2.3.1", NSOrderedSame},
      {"1.2.3b", "1.2.3a", NSOrderedSame},
      // characters, not numbers
      {"1.10.0", "1.9.0", NSOrderedAscending},
      {"1.2.a", "1.2.9", NSOrderedDescending},
      {"1.2.A", "1.2.a", NSOrderedAscending},
      // a missing unit ranks below any present one
      {"1.2", "1.2.3", NSOrderedAscending},
      {"1.2.3", "1.2", NSOrderedDescending},
      {"", "1", NSOrderedAscending},
      {"", "", NSOrderedSame},
      {"1.2", "1.2", NSOrderedSame},
      {"1.2", "1.2\x01", NSOrderedAscending},
  };
  const auto& c = KRSparkleVersionComparator::defaultComparator();
  for (const auto& p : pairs) {
    EXPECT_EQ(c.compareVersion(p.a, p.b), p.expected) << p.a << " vs " << p.b;
    EXPECT_EQ(c.compareVersion(p.b, p.a), -p.expected) << p.b << " vs " << p.a;
  }
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
