// The command line's pure parts: options, JSON text, drive titles, exit status.
#include <cstdio>

#include "app/cli/DriveStatus.h"
#include "app/cli/Json.h"
#include "app/cli/Options.h"
#include "tests/support/TestPlatform.h"

using namespace cli;
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
  auto o = parseOptions({"--json", "--timeout", "2.5", "--debug", "--listings", "/x", "--naming", "macos"});
  ASSERT_TRUE(o.options) << o.error;
  EXPECT_TRUE(o.options->json && o.options->debug && o.options->verbose);
  EXPECT_EQ(o.options->timeout, 2.5);
  EXPECT_EQ(o.options->listingsFolder, "/x");
  EXPECT_EQ(o.options->naming, "macos");
}

TEST(CliOptions, RefusesWrongArguments) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"--bogus"}, "unknown option --bogus"},
      {{"--timeout"}, "needs a number of seconds"},
      {{"--timeout", "0"}, "positive number"},
      {{"--timeout", "5s"}, "positive number"},
      {{"--timeout", "nan"}, "positive number"},
      {{"--replay"}, "needs a raw-data file"},
      {{"--naming", "windows"}, "macos or linux"},
      {{"--short-test", "--abort-test", "/dev/sda"}, "only one drive command"},
      {{"--smartctl-options"}, "needs the smartctl options"},
      {{"--json", "--report"}, "cannot be combined"},
      {{"--json", "--abort-test", "/dev/sda"}, "--json applies to checks"},
      {{"--verbose=yes"}, "unknown option --verbose=yes"},
      {{"sda"}, "sda: no such raw-data file or device"},
      {{"/home/me/missing.trdr"}, "no such raw-data file or device"},
  };
  for (const auto& [args, why] : cases) {
    auto parsed = parseOptions(args);
    EXPECT_FALSE(parsed.options) << why;
    EXPECT_NE(parsed.error.find(why), std::string::npos) << parsed.error;
  }
}

TEST(CliJson, QuotesEveryText) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "\"plain\""},
      {"a \"quoted\" \\ path", R"("a \"quoted\" \\ path")"},
      {"line\nfeed\ttab\rcr", R"("line\nfeed\ttab\rcr")"},
      {std::string("nul\0bell\x07", 9), R"("nul\u0000bell\u0007")"},
      {"\x1f\x7f", "\"\\u001f\x7f\""},
      {"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "\"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
      {"bad \xFF byte", R"("bad \ufffd byte")"},
      {"cut \xC3", R"("cut \ufffd")"},
      {"overlong \xC0\xAF", R"("overlong \ufffd\ufffd")"},
      {"surrogate \xED\xA0\x80", R"("surrogate \ufffd\ufffd\ufffd")"},
  };
  for (const auto& [text, quoted] : cases) EXPECT_EQ(jsonQuote(text), quoted);
}

TEST(CliJson, WritesNestedDocuments) {
  JsonWriter json;
  json.beginObject();
  json.member("n", int64_t{-3});
  json.key("empty");
  json.beginArray();
  json.endArray();
  json.key("list");
  json.beginArray();
  json.value(true);
  json.null();
  json.beginObject();
  json.member("s", std::optional<std::string>{});
  json.endObject();
  json.endArray();
  json.endObject();
  EXPECT_EQ(json.text(),
            "{\n  \"n\": -3,\n  \"empty\": [],\n  \"list\": [\n    true,\n    null,\n    {\n      \"s\": null\n    }\n  ]\n}\n");
}

TEST(CliDriveTitle, SingleVolumeElseDiskWithPartitions) {
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
  EXPECT_STREQ(statusWord(2), "CRITICAL");
}
