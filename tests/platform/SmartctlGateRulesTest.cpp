// The gate's rules on a /dev of our own; the gate as a process, on real
// block devices, is tested in tests/integration/SmartctlGateTest.cpp.
#include "app/cli/SmartctlGate.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "tests/CaseFile.h"

namespace {

using Args = std::vector<std::string>;
using gate::kDacReadSearch;
using gate::kSysAdmin;

// Paths that the real inspection would accept, where they lead, and what
// it says of the others.
const gate::Inspector kDev = [](const std::string& path) {
  static const std::map<std::string, gate::DeviceNode> nodes = {
      {"/dev/sda", {"", "/dev/sda", false}},
      {"/dev/disk/by-id/ata-X", {"", "/dev/sdb", false}},
      {"/dev/nvme0n1", {"", "/dev/nvme0n1", true}},
  };
  auto it = nodes.find(path);
  return it == nodes.end() ? gate::DeviceNode{"\"" + path + "\" is a partition, not a whole disk", "", false}
                           : it->second;
};

const gate::Caller kMember{true, "disk"};
const gate::Caller kStranger{false, "disk"};

Args words(const std::string& text) {
  Args out;
  std::istringstream in(text);
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

std::set<std::string> names(const std::string& list) {
  std::set<std::string> out;
  std::stringstream in(list);
  for (std::string name; std::getline(in, name, ',');)
    if (name != "-") out.insert(name);
  return out;
}

}  // namespace

// The cases of tests/platform/gate-rules.txt.
TEST(SmartctlGateRules, LinesOfTheTable) {
  for (const auto& c : testing_support::readCases("platform/gate-rules.txt", "allow")) {
    gate::Decision d = gate::decide(words(c[0]), kStranger, kDev);
    ASSERT_TRUE(d.allowed) << c.line << ": " << d.reason;
    EXPECT_EQ(d.arguments, words(c[1] == "=" ? c[0] : c[1])) << c.line;
    EXPECT_EQ(names(gate::capabilityNames(d.capabilities)), names(c[2])) << c.line;
  }
  for (const auto& c : testing_support::readCases("platform/gate-rules.txt", "selftest")) {
    EXPECT_TRUE(gate::decide(words(c[0]), kMember, kDev).allowed) << c.line;
    gate::Decision d = gate::decide(words(c[0]), kStranger, kDev);
    EXPECT_FALSE(d.allowed) << c.line;
    EXPECT_EQ(d.reason, "only root and members of the group \"disk\" may start or abort a self-test");
  }
  for (const auto& c : testing_support::readCases("platform/gate-rules.txt", "refuse")) {
    gate::Decision d = gate::decide(words(c[0]), kMember, kDev);
    EXPECT_FALSE(d.allowed) << c.line;
    EXPECT_NE(d.reason.find(c[1]), std::string::npos) << c.line << ": " << d.reason;
    EXPECT_TRUE(d.arguments.empty()) << c.line;
  }
}

TEST(SmartctlGateRules, WhatTheTableCannotHold) {
  EXPECT_NE(gate::decide({"-X", "/dev/sda"}, {false, "smartadmins"}, kDev).reason.find("\"smartadmins\""),
            std::string::npos);
  const std::pair<Args, std::string> refused[] = {{{"-i", ""}, "\"\" is not a device"},
                                                  {Args(13, "-i"), "too many arguments"}};
  for (const auto& [args, why] : refused) {
    gate::Decision d = gate::decide(args, kMember, kDev);
    EXPECT_FALSE(d.allowed) << why;
    EXPECT_NE(d.reason.find(why), std::string::npos) << d.reason;
  }
}

TEST(SmartctlGateRules, TheInstalledCapabilitiesAreThoseTheLinesUse) {
  // TARVEL_GATE_CAPABILITIES (top CMakeLists.txt) is what the install step
  // grants; every capability the rules hand out must be in it, and nothing more.
  std::set<std::string> installed, used;
  std::stringstream in(TARVEL_GATE_CAPABILITIES);
  for (std::string name; std::getline(in, name, ',');) installed.insert(name);
  std::stringstream all(gate::capabilityNames(gate::kAllCapabilities));
  for (std::string name; std::getline(all, name, ',');) used.insert(name);
  EXPECT_EQ(installed, used);
  EXPECT_EQ(gate::capabilityNames(kSysAdmin | kDacReadSearch), "cap_dac_read_search,cap_sys_admin");
  EXPECT_EQ(gate::capabilityNames(0), "");
}

TEST(SmartctlGateRules, RefusalsArePrintable) {
  EXPECT_EQ(gate::printable("/dev/\x1b[2Jsd\xc3\xa9\n"), "/dev/\\x1b[2Jsd\\xc3\\xa9\\x0a");
  EXPECT_EQ(gate::printable("plain -d \"sat\""), "plain -d \"sat\"");
}
