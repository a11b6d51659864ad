// The gate's rules on a /dev of our own; the gate as a process, on real
// block devices, is tested in tests/integration/SmartctlGateTest.cpp.
#include "app/SmartctlGate.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

namespace {

using Args = std::vector<std::string>;
using gate::kDacReadSearch;
using gate::kSysAdmin;
using gate::kSysRawio;

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

gate::Decision decide(const Args& args, const gate::Caller& caller = kStranger) {
  return gate::decide(args, caller, kDev);
}

}  // namespace

TEST(SmartctlGateRules, TarvelsLinesPassWithTheDeviceResolvedAndTheCapabilitiesTheyNeed) {
  const gate::Capabilities ata = kDacReadSearch | kSysRawio, nvme = kDacReadSearch | kSysAdmin;
  struct Case {
    Args line;
    Args passed;  // empty: the line as given
    gate::Capabilities capabilities;
  } cases[] = {
      {{"-V"}, {}, 0},
      {{"-H", "/dev/sda"}, {}, ata},
      {{"-i", "/dev/sda"}, {}, ata},
      {{"-c", "/dev/sda"}, {}, ata},
      {{"-A", "/dev/sda"}, {}, ata},
      {{"-l", "error", "/dev/sda"}, {}, ata},
      {{"-l", "selftest", "/dev/sda"}, {}, ata},
      {{"-l", "selective", "/dev/sda"}, {}, ata},
      {{"-s", "on", "/dev/sda"}, {}, ata},
      {{"-r", "ataioctl,2", "-a", "/dev/sda"}, {}, ata},
      {{"-T", "verypermissive", "-l", "error", "/dev/sda"}, {}, ata},
      {{"-n", "standby", "-A", "/dev/disk/by-id/ata-X"}, {"-n", "standby", "-A", "/dev/sdb"}, ata},
      {{"-d", "sat,16", "-n", "standby", "-T", "verypermissive", "-H", "/dev/sda"}, {}, ata},
      {{"-T", "verypermissive", "-n", "standby", "-d", "sat", "-H", "/dev/sda"}, {}, ata},
      {{"-d", "auto", "-i", "/dev/sda"}, {}, ata},
      {{"-d", "sat,12", "-i", "/dev/sda"}, {}, ata},
      {{"-d", "scsi", "-i", "/dev/sda"}, {}, ata},
      // The legacy ATA ioctls that "-d ata" uses need both.
      {{"-d", "ata", "-i", "/dev/sda"}, {}, ata | kSysAdmin},
      // NVMe admin commands need cap_sys_admin, and no raw ATA/SCSI.
      {{"-H", "/dev/nvme0n1"}, {}, nvme},
      {{"-d", "nvme", "-n", "standby", "-A", "/dev/nvme0n1"}, {}, nvme},
      // A type that does not fit the device gets only what the type uses.
      {{"-d", "nvme", "-i", "/dev/sda"}, {}, kDacReadSearch},
      {{"-d", "sat", "-i", "/dev/nvme0n1"}, {}, ata},
      // Replays reach no drive: no capability, and anyone may "start" a test.
      {{"-H", "-"}, {}, 0},
      {{"-r", "ataioctl,2", "-a", "-"}, {}, 0},
      {{"-t", "short", "-"}, {}, 0},
  };
  for (const Case& c : cases) {
    gate::Decision d = decide(c.line);
    ASSERT_TRUE(d.allowed) << ::testing::PrintToString(c.line) << ": " << d.reason;
    EXPECT_EQ(d.arguments, c.passed.empty() ? c.line : c.passed) << ::testing::PrintToString(c.line);
    EXPECT_EQ(d.capabilities, c.capabilities) << ::testing::PrintToString(c.line);
  }
}

TEST(SmartctlGateRules, SelfTestsOnlyForRootAndTheGroup) {
  const Args lines[] = {{"-t", "short", "/dev/sda"},      {"-t", "long", "/dev/sda"},
                        {"-t", "conveyance", "/dev/sda"}, {"-t", "offline", "/dev/sda"},
                        {"-X", "/dev/sda"},               {"-d", "nvme", "-t", "short", "/dev/nvme0n1"}};
  for (const Args& line : lines) {
    EXPECT_TRUE(decide(line, kMember).allowed) << ::testing::PrintToString(line);
    gate::Decision d = decide(line, kStranger);
    EXPECT_FALSE(d.allowed) << ::testing::PrintToString(line);
    EXPECT_EQ(d.reason, "only root and members of the group \"disk\" may start or abort a self-test");
  }
  EXPECT_NE(gate::decide({"-X", "/dev/sda"}, {false, "smartadmins"}, kDev).reason.find("\"smartadmins\""),
            std::string::npos);
}

TEST(SmartctlGateRules, EverythingElseIsRefused) {
  const std::string big(120 * 1024, '1');
  struct Case {
    Args args;
    std::string why;
  } cases[] = {
      {{}, "no arguments"},
      {{"-i"}, "no step before the device"},
      {{"/dev/sda"}, "no step before the device"},
      // Bridge types take a SCSI opcode or more from the caller.
      {{"-d", "usbcypress,0x04", "-i", "/dev/sda"}, "-d \"usbcypress,0x04\" is not a device type Tarvel uses"},
      {{"-d", "usbcypress", "-i", "/dev/sda"}, "is not a device type"},
      {{"-d", "usbsunplus", "-i", "/dev/sda"}, "is not a device type"},
      {{"-d", "sntasmedia,0x1", "-i", "/dev/sda"}, "is not a device type"},
      {{"-d", "sat,auto", "-i", "/dev/sda"}, "is not a device type"},
      {{"-d", "sat,16,x", "-i", "/dev/sda"}, "is not a device type"},
      {{"-d", "megaraid,0", "-i", "/dev/sda"}, "is not a device type"},
      {{"--device=sat", "-i", "/dev/sda"}, "is not a step"},
      {{"-d", "sat", "-d", "sat", "-i", "/dev/sda"}, "\"-d\" given twice"},
      {{"-d", "sat", "/dev/sda"}, "no step before the device"},
      {{"-n", "/dev/sda"}, "\"-n\" without a value before the step"},
      {{"-n", "standby,q", "-i", "/dev/sda"}, "-n takes only \"standby\""},
      {{"-n", "never", "-i", "/dev/sda"}, "-n takes only \"standby\""},
      {{"-T", "permissive", "-i", "/dev/sda"}, "-T takes only \"verypermissive\""},
      // Options that change the drive, read files, or change how smartctl
      // talks to it.
      {{"-s", "off", "/dev/sda"}, "\"-s off\" is not a step Tarvel builds"},
      {{"-S", "off", "/dev/sda"}, "is not a step"},
      {{"-o", "off", "/dev/sda"}, "is not a step"},
      {{"--set=standby,now", "/dev/sda"}, "is not a step"},
      {{"-B", "/etc/shadow", "-i", "/dev/sda"}, "is not a step"},
      {{"--drivedb=/etc/shadow", "-i", "/dev/sda"}, "is not a step"},
      {{"-F", "samsung", "-i", "/dev/sda"}, "is not a step"},
      {{"-g", "all", "/dev/sda"}, "is not a step"},
      {{"-l", "scttempint,10", "/dev/sda"}, "is not a step"},
      {{"-l", "scterc,70,70", "/dev/sda"}, "is not a step"},
      {{"-v", "9,raw48", "-i", "/dev/sda"}, "is not a step"},
      {{"-x", "/dev/sda"}, "is not a step"},
      {{"-a", "/dev/sda"}, "is not a step"},
      {{"-r", "ataioctl,2", "-a", "-x", "/dev/sda"}, "is not a step"},
      {{"--info", "/dev/sda"}, "is not a step"},
      {{"-t", "select,0-max", "/dev/sda"}, "is not a step"},
      // One step, then the device, last.
      {{"-i", "-H", "/dev/sda"}, "\"-i -H\" is not a step"},
      {{"-i", "/dev/sda", "-H"}, "\"-i /dev/sda\" is not a step"},
      {{"-t", "short", "-i", "/dev/sda"}, "is not a step"},
      {{"-i", "-s", "on", "/dev/sda"}, "is not a step"},
      {{"-i", "-d", "sat", "/dev/sda"}, "is not a step"},
      {{"-V", "/dev/sda"}, "is not a step"},
      {{"-i", "-x"}, "\"-x\" is not a device"},
      {{"-i", ""}, "\"\" is not a device"},
      {{"-i", "/dev/sda1"}, "\"/dev/sda1\" is a partition, not a whole disk"},
      // Long arguments are refused before anything looks at them.
      {{"-i", big}, "an argument of 122880 bytes, longer than 256"},
      {{"-v", big + ",raw48", "-i", "/dev/sda"}, "longer than 256"},
      {Args(13, "-i"), "too many arguments"},
  };
  for (const Case& c : cases) {
    gate::Decision d = decide(c.args, kMember);
    EXPECT_FALSE(d.allowed) << ::testing::PrintToString(c.args).substr(0, 200);
    EXPECT_NE(d.reason.find(c.why), std::string::npos) << ::testing::PrintToString(c.args).substr(0, 200) << ": "
                                                       << d.reason;
    EXPECT_TRUE(d.arguments.empty());
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
