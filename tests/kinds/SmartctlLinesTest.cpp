#include <gtest/gtest.h>

#include <cstdint>

#include "logs/SmartctlLines.h"

namespace {

TEST(SmartctlLines, NumbersReadWithEveryThousandsSeparator) {
  struct Case {
    const char* text;
    std::optional<uint64_t> number;
  };
  const Case cases[] = {
      {"46,954,492 [24.0 TB]", 46954492},
      {"512.110.190.592 [512 GB]", 512110190592},
      {"837 355 [428 GB]", 837355},
      {"1\u202f829\u202f658\u202f624 [1,82 GB]", 1829658624},
      {"1\u00a0234", 1234},
      {"1'234'567", 1234567},
      {"  403", 403},
      {"100%", 100},
      {"38 Celsius", 38},
      {"8347.20", 8347},  // a decimal part is no group of three
      {"12 345", 12345},
      {"12 34", 12},
      {"~340,282,366,920,938,463,463,374,607,431,768,211,455", UINT64_MAX},
      {"18,446,744,073,709,551,615 [9.44 ZB]", UINT64_MAX},
      {"-", std::nullopt},
      {"", std::nullopt},
      {"0x09", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(smartctl::leadingNumber(c.text), c.number) << c.text;
}

TEST(SmartctlLines, LabelsMatchAfterBlanksAndBeforeCarriageReturn) {
  EXPECT_EQ(smartctl::valueAfter("\tModel Number:   X 1 \r", "Model Number:"), "X 1");
  EXPECT_EQ(smartctl::valueAfter("Model Numbers: X", "Model Number:"), std::nullopt);
  EXPECT_EQ(smartctl::bracketed("4,000,787,030,016 [4.00 TB]"), "4.00 TB");
  EXPECT_EQ(smartctl::bracketed("0"), std::nullopt);
}

}  // namespace
