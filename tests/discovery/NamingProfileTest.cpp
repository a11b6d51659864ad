// The naming profiles against the cases in tests/discovery/naming.txt.
#include "discovery/NamingProfile.h"

#include "tests/CaseFile.h"

TEST(NamingProfile, Cases) {
  const discovery::NamingProfile mac = discovery::macOSNaming(), gnu = discovery::linuxNaming();
  for (const auto& c : testing_support::readCases("discovery/naming.txt")) {
    const discovery::NamingProfile& p = c[0].starts_with("mac ") ? mac : gnu;
    const std::optional<std::string> want = c[2] == "-" ? std::nullopt : std::optional(c[2]);
    if (c[0].ends_with(" whole"))
      EXPECT_EQ(p.isWholeDisk(c[1]) ? "yes" : "no", c[2]) << c.line;
    else if (c[0].ends_with(" stem"))
      EXPECT_EQ(p.deviceStem(c[1]), want) << c.line;
    else if (c[0].ends_with(" volume"))
      EXPECT_EQ(p.volumeName(c[1]), want) << c.line;
    else
      ADD_FAILURE() << "unknown rule: " << c.line;
  }
}
