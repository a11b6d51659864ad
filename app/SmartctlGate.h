// The rules of the bundle's smartctl gate: which smartctl command lines it
// passes on. It runs, privileged, only
//  - the command lines Tarvel itself builds (health, identity,
//    capabilities, attributes, logs, raw data, version, and the self-test
//    start/abort and SMART-enable lines, each exactly as built), and
//  - free command lines made only of read-only options (-i -H -c -A -a -x
//    -l <log> -V -T -d -r -n -q -f -b -g -v -F -P -j and long forms),
// with one device as the last word: a whole disk (/dev/sdX, /dev/hdX,
// /dev/vdX, /dev/xvdX, /dev/nvmeN, /dev/nvmeNnM, /dev/mmcblkN) or "-" (a
// saved trace on standard input). An existing device path is resolved and
// must still name a whole disk of the same kind of node after that.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gate {

// What the file system says about a device path.
struct DeviceNode {
  bool exists = false;
  std::string resolved;  // the path with every link followed
  bool isDeviceNode = false;
};
using Resolver = std::function<DeviceNode(const std::string& path)>;

// The real file system.
DeviceNode resolveDevice(const std::string& path);

struct Decision {
  bool allowed = false;
  std::vector<std::string> arguments;  // what to run, the device resolved
  std::string reason;                  // why not, for the refusal message
};

// `arguments` without the program name.
Decision decide(const std::vector<std::string>& arguments, const Resolver& resolve);

bool isWholeDiskPath(const std::string& path);

// The text smartctl prints when the device could not be opened for lack
// of privileges.
bool reportsMissingPrivileges(const std::string& output);

}  // namespace gate
