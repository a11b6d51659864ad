// The command line's pure parts: options, JSON text, drive titles, exit status.
#include <cstdio>
#include <sstream>

#include "app/cli/DriveJson.h"
#include "app/cli/DriveStatus.h"
#include "app/cli/Options.h"
#include "tests/CaseFile.h"

using namespace cli;
using monitor::driveTitle;
using testing_support::ScratchDir;

TEST(CliOptions, ReadsWhatToCheckAndHow) {
  ScratchDir dir;
  const std::string file = dir.write("sda.trdr", "trace").string();
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> devices, replays;
    DriveCommand command;
    std::string smartctlOptions;
  };
  const Case cases[] = {
      {{}, {}, {}, DriveCommand::None, ""},
      {{"/dev/sda", "/dev/nvme0n1"}, {"/dev/sda", "/dev/nvme0n1"}, {}, DriveCommand::None, ""},
      {{file}, {}, {file}, DriveCommand::None, ""},
      {{"--replay", file, "--replay=" + file}, {}, {file, file}, DriveCommand::None, ""},
      {{"--short-test", "/dev/sda"}, {"/dev/sda"}, {}, DriveCommand::ShortTest, ""},
      {{"--smartctl-options", "-x -d sat", "/dev/sda"}, {"/dev/sda"}, {}, DriveCommand::SmartctlOptions, "-x -d sat"},
      {{"--smartctl-options=-a", "/dev/sda"}, {"/dev/sda"}, {}, DriveCommand::SmartctlOptions, "-a"},
      {{"--", "/dev/sdb"}, {"/dev/sdb"}, {}, DriveCommand::None, ""},
  };
  for (const auto& c : cases) {
    auto parsed = parseOptions(c.args);
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->devices, c.devices);
    EXPECT_EQ(parsed.options->replays, c.replays);
    EXPECT_EQ(parsed.options->command, c.command);
    EXPECT_EQ(parsed.options->smartctlOptions, c.smartctlOptions);
  }
  const std::pair<std::vector<std::string>, std::optional<std::string>> metrics[] = {
      {{"--prometheus", "-"}, "-"},
      {{"--prometheus=/var/lib/x.prom", "--json"}, "/var/lib/x.prom"},
      {{"--prometheus", "x.prom", "--report"}, "x.prom"},
      {{}, std::nullopt},
  };
  for (const auto& [args, file] : metrics) EXPECT_EQ(parseOptions(args).options->prometheus, file);
  auto o = parseOptions({"--json", "--timeout", "2.5", "--debug", "--listings", "/x", "--naming", "macos"});
  ASSERT_TRUE(o.options) << o.error;
  EXPECT_TRUE(o.options->json && o.options->debug && o.options->verbose);
  EXPECT_EQ(o.options->timeout, 2.5);
  EXPECT_EQ(o.options->listingsFolder, "/x");
  EXPECT_EQ(o.options->naming, "macos");
}

// The cases of tests/cli/refused-options.txt.
TEST(CliOptions, RefusesWrongArguments) {
  for (const auto& c : testing_support::readCases("cli/refused-options.txt")) {
    std::vector<std::string> args;
    std::istringstream words(c[0] == "-" ? "" : c[0]);
    for (std::string w; words >> w;) args.push_back(w);
    auto parsed = parseOptions(args);
    EXPECT_FALSE(parsed.options) << c.line;
    EXPECT_NE(parsed.error.find(c[1]), std::string::npos) << c.line << ": " << parsed.error;
  }
}

using CliJson = testing_support::PlatformTest;

TEST_F(CliJson, TextThatIsNotUtf8StillGivesADocument) {
  KRSMARTDrive d;
  d.setLocation("/dev/sda");
  d.addPartitionName("bad \xFF byte\t");
  std::ostringstream out;
  writeCheckDocument(out, {d}, {}, 3);
  EXPECT_NE(out.str().find("\"title\": \"bad \xEF\xBF\xBD byte\\t\""), std::string::npos) << out.str();
}

TEST(DriveTitle, SingleVolumeElseDiskWithPartitions) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "disk0 with partitions "},
      {{"A"}, "A"},
      {{"A", "B"}, "disk0 with partitions A, and B"},
      {{"A", "B", "C"}, "disk0 with partitions A, B, and C"},
      {{"Macintosh HD", "Macintosh HD", "Backup Disk", "D"}, "disk0 with partitions Macintosh HD, Macintosh HD, Backup Disk, and D"},
  };
  for (const auto& [names, title] : cases) {
    KRSMARTDrive d;
    d.setLocation("/dev/disk0");
    for (const auto& n : names) d.addPartitionName(n);
    EXPECT_EQ(driveTitle(d), title);
  }
}

TEST(CliExitStatus, TheWorstThatApplies) {
  using S = DriveState;
  const std::tuple<std::vector<S>, bool, int> cases[] = {
      {{S::Passed, S::Passed}, false, 0},
      {{S::Passed, S::Failing}, false, 1},
      {{S::Failing, S::Failed, S::Passed}, false, 2},
      {{S::Passed, S::Unknown}, false, 3},
      {{S::Failing, S::Unknown}, false, 1},
      {{S::Failed, S::Unknown}, true, 2},
      {{S::Passed}, true, 3},
      {{}, false, 3},
  };
  for (const auto& [states, couldNotCheck, status] : cases) {
    EXPECT_EQ(exitStatus({states, couldNotCheck}), status);
  }
}
