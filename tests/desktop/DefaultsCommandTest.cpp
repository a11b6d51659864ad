#include "app/cli/DefaultsCommand.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/Domains.h"
#include "platform/linux/PlistDomainStore.h"
#include "tests/CaseFile.h"
#include "tests/support/TestPlatform.h"

namespace {

// Points XDG_CONFIG_HOME at a scratch folder for one test.
class DefaultsCommandTest : public ::testing::Test {
 protected:
  struct Result {
    int status;
    std::string out, err;
  };
  Result run(std::vector<std::string> args) {
    std::ostringstream out, err;
    int status = cli::runDefaultsCommand(args, out, err);
    return {status, out.str(), err.str()};
  }
  std::optional<platform::PlistValue::Dict> stored(const std::string& domain) {
    return platform::real::PlistDomainStore(platform::real::defaultPreferencesFolder(), nullptr).load(domain);
  }

  testing_support::ScratchDir scratch;
  testing_support::EnvironmentScope env{{{"XDG_CONFIG_HOME", scratch.path().string()}}};
};

}  // namespace

TEST_F(DefaultsCommandTest, WriteReadAndDeleteWithTypes) {
  using platform::PlistValue;
  const std::string d = platform::kMainAppDomain;
  struct Case {
    std::vector<std::string> write;
    PlistValue stored;
    std::string printed;
  } cases[] = {
      {{"PollDrives", "-bool", "NO"}, false, "0"},           {{"EmailSSL", "-bool", "true"}, true, "1"},
      {{"GrowlDrivePassed", "-bool", "0"}, false, "0"},      {{"CustomErrorCountValue", "-int", "-12"}, -12, "-12"},
      {{"PollingInterval", "-float", "90.5"}, 90.5, "90.5"}, {{"EmailCustomPort", "-string", "587"}, "587", "587"},
      {{"EmailHostName", "my host"}, "my host", "my host"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"write", d};
    args.insert(args.end(), c.write.begin(), c.write.end());
    auto w = run(args);
    ASSERT_EQ(w.status, 0) << w.err;
    EXPECT_EQ(stored(d)->at(c.write[0]), c.stored) << c.write[0];
    auto r = run({"read", d, c.write[0]});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, c.printed + "\n");
  }
  auto whole = run({"read", d});
  EXPECT_EQ(whole.status, 0);
  EXPECT_NE(whole.out.find("    EmailHostName = \"my host\";\n"), std::string::npos) << whole.out;
  EXPECT_NE(whole.out.find("    PollDrives = 0;\n"), std::string::npos);

  EXPECT_EQ(run({"delete", d, "PollDrives"}).status, 0);
  EXPECT_FALSE(stored(d)->count("PollDrives"));
  EXPECT_EQ(stored(d)->size(), 6u);
  EXPECT_EQ(run({"delete", d}).status, 0);
  EXPECT_FALSE(stored(d));
}

TEST_F(DefaultsCommandTest, ErrorsHaveMessagesAndStatus) {
  const std::string d = platform::kMenuItemDomain;
  run({"write", d, "Present", "1"});
  for (const auto& c : testing_support::readCases("desktop/defaults-errors.txt")) {
    std::vector<std::string> args = testing_support::split(c[0], " ");
    for (std::string& a : args)
      if (a == "MENU") a = d;
    auto r = run(args);
    EXPECT_EQ(r.status, std::stoi(c[1])) << c.line;
    EXPECT_NE(r.err.find(c[2]), std::string::npos) << c.line << ": " << r.err;
  }
  EXPECT_EQ(stored(d)->size(), 1u);  // nothing written by the failures
}
