#include "monitor/PreferenceKeys.h"

#include <gtest/gtest.h>

#include "platform/Preferences.h"

// The registered defaults as the monitor reads them with nothing stored.
TEST(PreferenceKeys, RegisteredDefaultsReadAsTheMonitorExpects) {
  platform::Preferences prefs("own", std::make_shared<platform::MemoryDomainStore>());
  prefs.registerDefaults(registeredDefaults());

  for (const char* on : {"AutoExpandDrives", "IgnoreAttribute190", "PollDrives", "GrowlDrivePassed",
                         "GrowlDriveFailing", "GrowlDriveFailed", "GrowlTestCompleted"})
    EXPECT_TRUE(prefs.boolForKey(on)) << on;
  for (const char* off : {"OutputDebugMessages", "ShowUnsupportedDrives", "IgnoreAttribute196", "RememberErrorCount",
                          "RememberBadSectors", "DisplayTempInFahrenheit", "CustomBadSectorCount", "CustomErrorCount",
                          "FailedTestIsNew", "EmailDrivePassed", "EmailDriveFailing", "EmailDriveFailed",
                          "EmailTestCompleted", "EmailSSL"})
    EXPECT_FALSE(prefs.boolForKey(off)) << off;
  EXPECT_EQ(prefs.objectForKey("PollDrives")->string(), "YES");  // text, as registered

  EXPECT_EQ(prefs.doubleForKey("PollingInterval"), 3600.0);
  EXPECT_EQ(prefs.integerForKey("CustomErrorCountValue"), 50);
  EXPECT_EQ(prefs.integerForKey("CustomBadSectorCountValue"), 0);
  EXPECT_EQ(prefs.integerForKey("EmailAuthenticationType"), 0);
  EXPECT_TRUE(prefs.objectForKey("EmailCustomPort")->isString());
  EXPECT_EQ(prefs.stringForKey("EmailCustomPort"), "25");
  EXPECT_EQ(prefs.stringForKey("EmailHostName"), currentHostName());
  EXPECT_FALSE(currentHostName().empty());
  for (const char* empty : {"EmailFromAddress", "EmailToAddress", "EmailSMTPAddress", "EmailUsername", "EmailPassword"})
    EXPECT_EQ(prefs.stringForKey(empty), "") << empty;
  EXPECT_EQ(registeredDefaults().size(), 32u);
}
