#include "app/SmartctlGate.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A /dev of our own: paths that exist, where their links lead, what they are.
gate::Resolver fakeDev(std::map<std::string, gate::DeviceNode> nodes) {
  return [nodes](const std::string& path) {
    auto it = nodes.find(path);
    return it == nodes.end() ? gate::DeviceNode{} : it->second;
  };
}

const gate::Resolver kDev = fakeDev({
    {"/dev/sda", {true, "/dev/sda", true}},
    {"/dev/nvme0", {true, "/dev/nvme0", true}},
    {"/dev/nvme0n1", {true, "/dev/nvme0n1", true}},
    {"/dev/sdb", {true, "/dev/sda1", true}},       // a link to a partition
    {"/dev/sdc", {true, "/home/user/disk.img", false}},
    {"/dev/vdb", {true, "/dev/vdb", false}},       // a plain file in /dev
    {"/dev/sdd", {true, "/dev/sda", true}},        // a link to another whole disk
});

using Args = std::vector<std::string>;

}  // namespace

TEST(SmartctlGateRules, TarvelsOwnCommandLinesPass) {
  // Every line the drive record builds, normal and very permissive.
  const Args lines[] = {
      {"-H", "/dev/sda"}, {"-i", "/dev/sda"}, {"-c", "/dev/sda"}, {"-A", "/dev/sda"},
      {"-l", "error", "/dev/sda"}, {"-l", "selftest", "/dev/sda"}, {"-l", "selective", "/dev/sda"},
      {"-t", "short", "/dev/sda"}, {"-t", "long", "/dev/sda"}, {"-X", "/dev/sda"}, {"-V"},
      {"-s", "on", "/dev/sda"}, {"-r", "ataioctl,2", "-a", "/dev/sda"},
      {"-T", "verypermissive", "-H", "/dev/sda"}, {"-T", "verypermissive", "-l", "selftest", "/dev/nvme0n1"},
      {"-H", "-"}, {"-r", "ataioctl,2", "-a", "-"}, {"-t", "short", "-"},
      // free options a user might give
      {"-x", "/dev/nvme0"}, {"-d", "sat", "-a", "/dev/sda"}, {"--log=xerror,8", "/dev/sda"},
      {"-n", "standby,q", "-j", "-A", "/dev/sda"}, {"-l", "gplog,0x30,2", "/dev/sda"}, {"-P", "showall"},
      {"-i", "/dev/sdz"},  // not there: smartctl says so itself
  };
  for (const auto& line : lines) {
    gate::Decision d = gate::decide(line, kDev);
    EXPECT_TRUE(d.allowed) << ::testing::PrintToString(line) << ": " << d.reason;
  }
}

TEST(SmartctlGateRules, ArgumentsPassedOnWithTheDeviceResolved) {
  EXPECT_EQ(gate::decide({"-i", "/dev/sdd"}, kDev).arguments, (Args{"-i", "/dev/sda"}));
  EXPECT_EQ(gate::decide({"-t", "long", "/dev/sdd"}, kDev).arguments, (Args{"-t", "long", "/dev/sda"}));
  EXPECT_EQ(gate::decide({"--log=error", "-"}, kDev).arguments, (Args{"--log", "error", "-"}));
}

TEST(SmartctlGateRules, EverythingElseIsRefused) {
  struct Case {
    Args args;
    std::string why;
  } cases[] = {
      {{}, "no arguments"},
      {{"-s", "off", "/dev/sda"}, "\"-s\" is not allowed"},
      {{"-i", "-s", "on", "/dev/sda"}, "\"-s\" is not allowed"},        // state change only as built
      {{"-t", "short", "-i", "/dev/sda"}, "\"-t\" is not allowed"},
      {{"-t", "conveyance", "/dev/sda"}, "\"-t\" is not allowed"},
      {{"-X", "/dev/sda", "/dev/nvme0"}, "\"-X\" is not allowed"},
      {{"-o", "on", "/dev/sda"}, "\"-o\" is not allowed"},
      {{"-S", "on", "/dev/sda"}, "\"-S\" is not allowed"},
      {{"--set=standby,now", "/dev/sda"}, "is not allowed"},
      {{"-B", "/etc/shadow", "-i", "/dev/sda"}, "\"-B\" is not allowed"},
      {{"-l", "scterc,70,70", "/dev/sda"}, "\"scterc,70,70\" is not allowed"},
      {{"-l", "scttempint,10", "/dev/sda"}, "is not allowed"},
      {{"-d", "megaraid;rm", "-i", "/dev/sda"}, "is not allowed"},
      {{"-i"}, "no device given"},
      {{"-l"}, "needs a value"},
      {{"--info=x", "/dev/sda"}, "takes no value"},
      {{"-i", "/dev/sda1"}, "not a whole-disk device path"},
      {{"-i", "/dev/nvme0n1p2"}, "not a whole-disk device path"},
      {{"-i", "/dev/mmcblk0p1"}, "not a whole-disk device path"},
      {{"-i", "/dev/../etc/passwd"}, "not a whole-disk device path"},
      {{"-i", "/dev/sda/../sdb"}, "not a whole-disk device path"},
      {{"-i", "sda"}, "not a whole-disk device path"},
      {{"-i", "/tmp/sda"}, "not a whole-disk device path"},
      {{"-i", "/dev/sdb"}, "leads to \"/dev/sda1\""},
      {{"-i", "/dev/sdc"}, "leads to \"/home/user/disk.img\""},
      {{"-i", "/dev/vdb"}, "is not a device node"},
      {{"-i", "/dev/sda", "-H"}, "must be the last argument"},
      {{"-ilerror", "/dev/sda"}, "is not allowed"},
  };
  for (const auto& c : cases) {
    gate::Decision d = gate::decide(c.args, kDev);
    EXPECT_FALSE(d.allowed) << ::testing::PrintToString(c.args);
    EXPECT_NE(d.reason.find(c.why), std::string::npos) << ::testing::PrintToString(c.args) << ": " << d.reason;
  }
}

TEST(SmartctlGateRules, WholeDiskNames) {
  for (const char* ok : {"/dev/sda", "/dev/sdaa", "/dev/hdb", "/dev/vdc", "/dev/xvda", "/dev/nvme0", "/dev/nvme12n3",
                         "/dev/mmcblk0"})
    EXPECT_TRUE(gate::isWholeDiskPath(ok)) << ok;
  for (const char* bad : {"/dev/sda1", "/dev/sd", "/dev/nvme0n1p1", "/dev/nvme", "/dev/mmcblk0boot0", "/dev/loop0",
                          "/dev/dm-0", "/dev/sda ", "//dev/sda", "/dev/SDA"})
    EXPECT_FALSE(gate::isWholeDiskPath(bad)) << bad;
}
