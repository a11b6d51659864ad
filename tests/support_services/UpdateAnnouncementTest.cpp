#include <gtest/gtest.h>

#include "support/UpdateAnnouncement.h"
#include "tests/support/TestPlatform.h"

using platform::PlistValue;
using testing_support::PlatformTest;

namespace {

class UpdateAnnouncementTest : public PlatformTest {};

TEST_F(UpdateAnnouncementTest, TitleIsLocalizedWithItsDefault) {
  EXPECT_EQ(support::updateAvailableTitle(), "An update is available");
  mem.strings->entries[{"Main", "UpdateAvailable"}] = "Mise à jour disponible";
  EXPECT_EQ(support::updateAvailableTitle(), "Mise à jour disponible");
}

TEST_F(UpdateAnnouncementTest, FlagJoinsTheMainApplicationsDomain) {
  mem.store->save("main.app", {{"PollDrives", PlistValue(false)}, {"UpdateAvailable", PlistValue(false)}});
  support::markUpdateAvailable(*mem.platform.preferences, "main.app");
  support::markUpdateAvailable(*mem.platform.preferences, "main.app");
  auto domain = mem.store->load("main.app");
  ASSERT_TRUE(domain);
  EXPECT_EQ(*domain, (PlistValue::Dict{{"PollDrives", PlistValue(false)}, {"UpdateAvailable", PlistValue(true)}}));
  EXPECT_EQ(mem.store->load("own"), std::nullopt) << "the monitor's own domain is left alone";
}

TEST_F(UpdateAnnouncementTest, MissingDomainIsCreatedWithJustTheFlag) {
  support::markUpdateAvailable(*mem.platform.preferences, "main.app");
  EXPECT_EQ(mem.store->load("main.app"), (PlistValue::Dict{{"UpdateAvailable", PlistValue(true)}}));
}

}  // namespace
