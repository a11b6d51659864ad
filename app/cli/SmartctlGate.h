// The rules of the bundle's smartctl gate (app/smartctl_gate.cpp), which
// tarvel also follows where it runs smartctl itself: which smartctl
// command lines it runs, on which devices, for whom, and with
// which capabilities. The rules are the same for every caller, root
// included; README.md ("The smartctl gate") says the same for people.
//
// A line is `[-d TYPE] [-n standby] [-T verypermissive] STEP DEVICE` (the
// three optional parts once each, in any order) or `-V`, where STEP is
// exactly one of the steps Tarvel builds and DEVICE is "-" (a saved trace
// on standard input) or a whole-disk block device. Nothing is matched with
// patterns: every word is compared whole with a fixed list.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace gate {

// The capabilities the gate may hold, as bits of a set.
enum Capability : unsigned {
  kDacReadSearch = 1,  // open a root:disk (0660) node read-only for a user outside "disk"
  kSysRawio = 2,       // ATA and SCSI commands through SG_IO, and the legacy ATA ioctls
  kSysAdmin = 4,       // NVMe admin commands, and the legacy ATA ioctls
};
using Capabilities = unsigned;
constexpr Capabilities kAllCapabilities = kDacReadSearch | kSysRawio | kSysAdmin;

// "cap_dac_read_search,cap_sys_rawio", as setcap and the README spell them.
std::string capabilityNames(Capabilities set);

// Longer arguments, and more of them, are refused before anything else.
constexpr size_t kMaxArgumentLength = 256;
constexpr size_t kMaxArguments = 12;

// What the gate learned about a device from its node, opened without
// following links after the path was resolved.
struct DeviceNode {
  std::string refusal;  // not empty: not a device the gate runs smartctl on, and why
  std::string path;     // the resolved path smartctl is given
  bool nvme = false;    // an NVMe namespace, by the kernel's name for it
};
using Inspector = std::function<DeviceNode(const std::string& path)>;

// The real file system: a block device that is no partition, reached
// through folders only root can change (so the node cannot be swapped
// between this check and smartctl's open).
DeviceNode inspectDevice(const std::string& path);

struct Caller {
  bool mayChangeDrives = false;  // root, or a member of `group`
  std::string group;             // the group that may start and abort self-tests
};

// Whether this process runs as root or as a member of `group`.
bool mayChangeDrives(const std::string& group);

struct Decision {
  bool allowed = false;
  std::string reason;                  // why not, for the refusal
  std::vector<std::string> arguments;  // what smartctl gets: the line with the device resolved
  Capabilities capabilities = 0;       // what smartctl needs for this line, and all it gets
};

// `arguments` without the program name.
Decision decide(const std::vector<std::string>& arguments, const Caller& caller, const Inspector& inspect);

// The text smartctl prints when it could not open a device for lack of
// privileges.
bool reportsMissingPrivileges(const std::string& output);

// `text` with control characters and non-ASCII bytes written as \xNN, so a
// refusal cannot put escape sequences on the caller's terminal.
std::string printable(const std::string& text);

}  // namespace gate
