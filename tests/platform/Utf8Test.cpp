#include "platform/Utf8.h"

#include <gtest/gtest.h>

TEST(Utf8, CountsUnitsAndRejectsInvalid) {
  EXPECT_EQ(platform::utf16Length("abc"), 3u);
  EXPECT_EQ(platform::utf16Length("\xC3\xA9"), 1u);          // é
  EXPECT_EQ(platform::utf16Length("\xF0\x9F\x98\x80"), 2u);  // one emoji, two units
  EXPECT_FALSE(platform::utf16Length("\xC3"));               // cut character
  EXPECT_FALSE(platform::utf16Length("\xFF"));
  EXPECT_FALSE(platform::utf16Length("\xC0\x80"));           // overlong
  EXPECT_FALSE(platform::utf16Length("\xED\xA0\x80"));       // surrogate
}
