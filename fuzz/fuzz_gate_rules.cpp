// The smartctl gate's rules on any caller's arguments (NUL-separated): a
// decision, never a crash, and nothing allowed that is not one of Tarvel's
// lines on an inspected device.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cli/SmartctlGate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args;
  std::string text(reinterpret_cast<const char*>(data), size);
  for (size_t at = 0; at <= text.size();) {
    size_t end = text.find('\0', at);
    if (end == std::string::npos) end = text.size();
    args.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  bool inspected = false;
  const gate::Inspector inspect = [&](const std::string& path) {
    inspected = true;
    return path == "/dev/sda" ? gate::DeviceNode{"", "/dev/sda", false}
                              : gate::DeviceNode{"not a disk", "", false};
  };
  const gate::Caller caller{size % 2 == 0, "disk"};
  gate::Decision d = gate::decide(args, caller, inspect);
  if (!d.allowed) return 0;
  // An allowed line is -V, a replay, or ends with the one inspected disk.
  const bool version = d.arguments == std::vector<std::string>{"-V"};
  if (!version && d.arguments.back() != "-" && !(inspected && d.arguments.back() == "/dev/sda")) std::abort();
  if ((version || d.arguments.back() == "-") && d.capabilities != 0) std::abort();
  return 0;
}
