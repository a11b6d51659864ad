#include "support/UpdateAnnouncement.h"

#include <gtest/gtest.h>

#include "tests/support/TestPlatform.h"

using platform::PlistValue;

namespace {

using UpdateAnnouncementTest = testing_support::PlatformTest;

TEST_F(UpdateAnnouncementTest, TitleIsLocalizedWithItsDefault) {
  EXPECT_EQ(support::updateAvailableTitle(), "An update is available");
  mem.strings->entries[{"Main", "UpdateAvailable"}] = "Mise à jour disponible";
  EXPECT_EQ(support::updateAvailableTitle(), "Mise à jour disponible");
}

TEST_F(UpdateAnnouncementTest, FlagJoinsTheMainApplicationsDomain) {
  support::markUpdateAvailable(*mem.platform.preferences, "main.app");
  EXPECT_EQ(mem.store->load("main.app"), (PlistValue::Dict{{"UpdateAvailable", PlistValue(true)}}));
  mem.store->save("main.app", {{"PollDrives", PlistValue(false)}, {"UpdateAvailable", PlistValue(false)}});
  support::markUpdateAvailable(*mem.platform.preferences, "main.app");
  EXPECT_EQ(mem.store->load("main.app"),
            (PlistValue::Dict{{"PollDrives", PlistValue(false)}, {"UpdateAvailable", PlistValue(true)}}));
  EXPECT_EQ(mem.store->load("own"), std::nullopt) << "the monitor's own domain is left alone";
}

}  // namespace
