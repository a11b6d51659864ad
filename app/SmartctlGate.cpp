#include "app/SmartctlGate.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>

namespace gate {

namespace {

const std::regex& wholeDisk() {
  static const std::regex r("/dev/(sd[a-z]{1,3}|hd[a-z]|vd[a-z]{1,3}|xvd[a-z]{1,3}|nvme[0-9]+(n[0-9]+)?|mmcblk[0-9]+)");
  return r;
}

// Options that only read or change how output is shown, with the
// pattern their value must match ("" for options without a value).
const std::map<std::string, std::string>& readOnlyOptions() {
  static const std::map<std::string, std::string> options = {
      {"-i", ""}, {"--info", ""}, {"-H", ""}, {"--health", ""}, {"-c", ""}, {"--capabilities", ""},
      {"-A", ""}, {"--attributes", ""}, {"-a", ""}, {"--all", ""}, {"-x", ""}, {"--xall", ""},
      {"-V", ""}, {"--version", ""}, {"-h", ""}, {"--help", ""}, {"-j", ""}, {"--json", ""},
      {"-l", "log"}, {"--log", "log"},
      {"-T", "(normal|conservative|permissive|verypermissive)"},
      {"--tolerance", "(normal|conservative|permissive|verypermissive)"},
      {"-d", "(auto|test|ata|scsi|nvme|sat|usbcypress|usbjmicron|usbprolific|usbsunplus|sntjmicron|sntasmedia|"
             "sntrealtek)(,[0-9a-z]+)?"},
      {"--device", "(auto|test|ata|scsi|nvme|sat|usbcypress|usbjmicron|usbprolific|usbsunplus|sntjmicron|"
                   "sntasmedia|sntrealtek)(,[0-9a-z]+)?"},
      {"-r", "(ioctl|ataioctl|scsiioctl|nvmeioctl)(,[0-9])?"},
      {"--report", "(ioctl|ataioctl|scsiioctl|nvmeioctl)(,[0-9])?"},
      {"-n", "(never|sleep|standby|idle)(,([0-9]+|q))*"}, {"--nocheck", "(never|sleep|standby|idle)(,([0-9]+|q))*"},
      {"-q", "(errorsonly|silent|noserial)"}, {"--quietmode", "(errorsonly|silent|noserial)"},
      {"-f", "(old|brief|hex|hex,id|hex,val)"}, {"--format", "(old|brief|hex|hex,id|hex,val)"},
      {"-b", "(warn|exit|ignore)"}, {"--badsum", "(warn|exit|ignore)"},
      {"-g", "(all|aam|apm|dsn|lookahead|security|wcache|rcache|wcreorder|wcache-sct)"},
      {"--get", "(all|aam|apm|dsn|lookahead|security|wcache|rcache|wcreorder|wcache-sct)"},
      {"-v", "[A-Za-z0-9,:_+-]+"}, {"--vendorattribute", "[A-Za-z0-9,:_+-]+"},
      {"-F", "(none|nologdir|samsung|samsung2|samsung3|xerrorlba|swapid)"},
      {"--firmwarebug", "(none|nologdir|samsung|samsung2|samsung3|xerrorlba|swapid)"},
      {"-P", "(use|ignore|show|showall)"}, {"--presets", "(use|ignore|show|showall)"},
  };
  return options;
}

// Logs that are only read; "scterc,..." and "scttempint,..." would set
// values and are left out.
bool readOnlyLog(const std::string& v) {
  static const std::regex r(
      "(error|selftest|selective|directory|directory,[gs]|background|sasphy|sataphy|scttemp|scttempsts|"
      "scttemphist|scterc|devstat|defects|ssd|genstats|xerror|xselftest)"
      "|(xerror|xselftest|devstat),[0-9]+"
      "|(gplog|smartlog),(0x)?[0-9a-fA-F]+(,[0-9]+(-[0-9]+)?)?");
  return std::regex_match(v, r);
}

// Lines that change the drive's state, allowed only exactly as Tarvel
// builds them (device last).
const std::set<std::vector<std::string>>& stateChangingLines() {
  static const std::set<std::vector<std::string>> lines = {
      {"-t", "short"}, {"-t", "long"}, {"-X"}, {"-s", "on"}};
  return lines;
}

Decision refuse(std::string reason) { return Decision{false, {}, std::move(reason)}; }

// Checks the device word and gives the path to run with.
std::optional<std::string> checkDevice(const std::string& device, const Resolver& resolve, std::string& reason) {
  if (device == "-") return device;
  if (!isWholeDiskPath(device)) {
    reason = "\"" + device + "\" is not a whole-disk device path";
    return std::nullopt;
  }
  DeviceNode node = resolve(device);
  // A missing device is left for smartctl to report ("No such device").
  if (!node.exists) return device;
  if (!isWholeDiskPath(node.resolved)) {
    reason = "\"" + device + "\" leads to \"" + node.resolved + "\", which is not a whole disk";
    return std::nullopt;
  }
  if (!node.isDeviceNode) {
    reason = "\"" + device + "\" is not a device node";
    return std::nullopt;
  }
  return node.resolved;
}

}  // namespace

bool isWholeDiskPath(const std::string& path) { return std::regex_match(path, wholeDisk()); }

bool reportsMissingPrivileges(const std::string& output) {
  return output.find("Permission denied") != std::string::npos ||
         output.find("Operation not permitted") != std::string::npos;
}

DeviceNode resolveDevice(const std::string& path) {
  DeviceNode node;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return node;
  node.exists = true;
  node.isDeviceNode = S_ISBLK(st.st_mode) || S_ISCHR(st.st_mode);
  char buf[PATH_MAX];
  if (::realpath(path.c_str(), buf)) node.resolved = buf;
  return node;
}

Decision decide(const std::vector<std::string>& arguments, const Resolver& resolve) {
  if (arguments.empty()) return refuse("no arguments");

  // A state-changing line: exactly as Tarvel builds it.
  std::vector<std::string> head(arguments.begin(), arguments.end() - 1);
  if (stateChangingLines().count(head)) {
    std::string reason;
    auto device = checkDevice(arguments.back(), resolve, reason);
    if (!device) return refuse(reason);
    Decision d{true, head, ""};
    d.arguments.push_back(*device);
    return d;
  }

  Decision d{true, {}, ""};
  bool needsDevice = false;
  std::optional<std::string> device;
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string word = arguments[i];
    if (device) return refuse("\"" + *device + "\" must be the last argument");
    if (word.empty() || word[0] != '-' || word == "-") {
      std::string reason;
      device = checkDevice(word, resolve, reason);
      if (!device) return refuse(reason);
      continue;
    }
    std::string option = word, value;
    bool inlineValue = false;
    if (auto eq = word.find('='); word.rfind("--", 0) == 0 && eq != std::string::npos) {
      option = word.substr(0, eq);
      value = word.substr(eq + 1);
      inlineValue = true;
    }
    auto it = readOnlyOptions().find(option);
    if (it == readOnlyOptions().end()) return refuse("option \"" + word + "\" is not allowed");
    if (it->second.empty()) {
      if (option != "-V" && option != "--version" && option != "-h" && option != "--help") needsDevice = true;
      if (inlineValue) return refuse("option \"" + option + "\" takes no value");
      d.arguments.push_back(word);
      continue;
    }
    if (!inlineValue) {
      if (i + 1 >= arguments.size()) return refuse("option \"" + option + "\" needs a value");
      value = arguments[++i];
    }
    bool ok = it->second == "log" ? readOnlyLog(value) : std::regex_match(value, std::regex(it->second));
    if (!ok) return refuse("\"" + value + "\" is not allowed for option \"" + option + "\"");
    d.arguments.push_back(option);
    d.arguments.push_back(value);
    // Showing the drive database needs no drive.
    bool showsPresets = (option == "-P" || option == "--presets") && (value == "show" || value == "showall");
    if (!showsPresets) needsDevice = true;
  }
  if (needsDevice && !device) return refuse("no device given");
  if (device) d.arguments.push_back(*device);
  return d;
}

}  // namespace gate
