#include "platform/Format.h"

#include <gtest/gtest.h>

using platform::format;

TEST(Format, PrintfStylesAndText) {
  EXPECT_EQ(format("%@: %@", "a", std::string("b")), "a: b");
  EXPECT_EQ(format("%-3d   |", 5), "5     |");
  EXPECT_EQ(format("0x%04X", 51u), "0x0033");
  EXPECT_EQ(format("%03ld", 7L), "007");
  EXPECT_EQ(format("%lld|%llX", -5LL, 2748LL), "-5|ABC");
  EXPECT_EQ(format("%10d%%", 90), "        90%");
  EXPECT_EQ(format("%.2f GHz", 2.5f), "2.50 GHz");
  EXPECT_EQ(format("#%2i", 3), "# 3");
  EXPECT_EQ(format("%lu", 18446744073709551615ULL), "18446744073709551615");
}

TEST(Format, MismatchedFormatsNeverCrash) {
  EXPECT_EQ(format("%@ and %@", "one"), "one and ");
  EXPECT_EQ(format("%d", "text"), "0");
  EXPECT_EQ(format("%@", 42), "42");
  EXPECT_EQ(format("100%"), "100%");
  EXPECT_EQ(format("%n%s", "x"), "%nx");
}
