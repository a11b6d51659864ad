#include "platform/Preferences.h"
#include "platform/memory/MemoryPlatform.h"

#include <gtest/gtest.h>

using platform::PlistValue;

TEST(Preferences, LookupOrderOwnThenSuiteThenRegistered) {
  auto store = std::make_shared<platform::memory::MemoryDomainStore>();
  platform::Preferences prefs("own", store);
  prefs.registerDefaults({{"IgnoreAttribute190", "YES"}, {"CustomErrorCountValue", 50}, {"EmailCustomPort", "25"}});
  prefs.addSuite("main");
  EXPECT_TRUE(prefs.boolForKey("IgnoreAttribute190"));
  EXPECT_EQ(prefs.integerForKey("EmailCustomPort"), 25);
  EXPECT_EQ(prefs.stringForKey("EmailCustomPort"), "25");

  store->save("main", {{"CustomErrorCountValue", 10}, {"IgnoreAttribute190", "NO"}});
  prefs.synchronize();
  EXPECT_EQ(prefs.integerForKey("CustomErrorCountValue"), 10);
  EXPECT_FALSE(prefs.boolForKey("IgnoreAttribute190"));

  prefs.setInteger("CustomErrorCountValue", 7);
  EXPECT_EQ(prefs.integerForKey("CustomErrorCountValue"), 7);
  EXPECT_EQ(store->load("own")->at("CustomErrorCountValue").integer(), 7);
  EXPECT_EQ(store->load("main")->at("CustomErrorCountValue").integer(), 10);

  prefs.removeObject("CustomErrorCountValue");
  EXPECT_EQ(prefs.integerForKey("CustomErrorCountValue"), 10);
  EXPECT_FALSE(prefs.objectForKey("Nothing"));
  EXPECT_EQ(prefs.integerForKey("Nothing"), 0);
}

TEST(Preferences, ValueConversions) {
  struct Case {
    PlistValue v;
    bool b;
    int64_t i;
  } cases[] = {
      {"YES", true, 0}, {"NO", false, 0}, {"true", true, 0}, {"1", true, 1}, {"0", false, 0},
      {"  42abc", true, 42}, {true, true, 1}, {3.9, true, 3}, {0, false, 0}, {"", false, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.v.toBool(), c.b) << c.v.describe();
    EXPECT_EQ(c.v.toInteger(), c.i) << c.v.describe();
  }
}

