#include "tools/standin/SmartctlStandin.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string_view>

namespace standin {

namespace {

bool startsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }
bool contains(std::string_view s, std::string_view p) { return s.find(p) != std::string_view::npos; }

std::string_view trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

bool startsWithAny(std::string_view s, std::initializer_list<std::string_view> prefixes) {
  for (std::string_view p : prefixes)
    if (startsWith(s, p)) return true;
  return false;
}

const std::set<Part> kAll = {Part::Info,     Part::Capabilities, Part::Health,       Part::Attributes,
                             Part::ErrorLog, Part::SelfTestLog,  Part::SelectiveLog, Part::Extra};

}  // namespace

std::optional<Request> parseArguments(const std::vector<std::string>& args, std::string& error) {
  Request r;
  auto value = [&](size_t& i, const std::string& option) -> std::optional<std::string> {
    if (i + 1 >= args.size()) {
      error = "option " + option + " needs an argument";
      return std::nullopt;
    }
    return args[++i];
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-i" || a == "--info") r.parts.insert(Part::Info);
    else if (a == "-H" || a == "--health") r.parts.insert(Part::Health);
    else if (a == "-c" || a == "--capabilities") r.parts.insert(Part::Capabilities);
    else if (a == "-A" || a == "--attributes") r.parts.insert(Part::Attributes);
    else if (a == "-a" || a == "--all") {
      r.parts.insert(kAll.begin(), kAll.end());
      r.parts.erase(Part::Extra);
    } else if (a == "-x" || a == "--xall") r.parts.insert(kAll.begin(), kAll.end());
    else if (a == "-V" || a == "--version") r.version = true;
    else if (a == "-X" || a == "--abort") r.selfTest = "abort";
    else if (a == "-l" || startsWith(a, "--log=")) {
      std::optional<std::string> log = a == "-l" ? value(i, a) : std::optional<std::string>(a.substr(6));
      if (!log) return std::nullopt;
      if (*log == "error") r.parts.insert(Part::ErrorLog);
      else if (*log == "selftest") r.parts.insert(Part::SelfTestLog);
      else if (*log == "selective") r.parts.insert(Part::SelectiveLog);
      else r.parts.insert(Part::Extra);
    } else if (a == "-n" || a == "-d" || a == "-T" || a == "-r" || a == "-t" || a == "-s" || a == "-q") {
      std::optional<std::string> v = value(i, a);
      if (!v) return std::nullopt;
      if (a == "-n") r.powerMode = *v;
      else if (a == "-d") r.deviceType = *v;
      else if (a == "-t") r.selfTest = *v;
      else if (a == "-s") r.enable = *v == "on";
    } else if (startsWith(a, "-") && a != "-") {
      error = "unknown option " + a;
      return std::nullopt;
    } else if (i + 1 == args.size()) {
      r.device = a;
    } else {
      error = "unexpected argument " + a;
      return std::nullopt;
    }
  }
  if (r.device.empty() && !r.version) {
    error = "no device";
    return std::nullopt;
  }
  return r;
}

namespace {

enum class Kind { Ata, Nvme, Scsi };
// What a captured line belongs to: a part, a section header, or every answer.
enum class Tag { Part, InfoHeader, DataHeader, Always };

struct Tagged {
  std::string line;
  Tag tag = Tag::Always;
  Part part = Part::Info;
  bool healthOrAttributes = false;  // NVMe: a health log read failure, printed for -H and -A
};

Kind kindOf(const std::vector<std::string>& body) {
  for (const std::string& l : body)
    if (contains(l, "NVMe Log 0x") || startsWith(trimmed(l), "Model Number:") || startsWith(trimmed(l), "Read NVMe "))
      return Kind::Nvme;
  for (const std::string& l : body)
    if (startsWithAny(trimmed(l), {"Vendor:", "SMART Health Status:", "Transport protocol:", "Error counter log:"}))
      return Kind::Scsi;
  return Kind::Ata;
}

// The part a line opens, if it opens one.
std::optional<Part> nvmeStart(std::string_view l, bool& healthOrAttributes) {
  healthOrAttributes = false;
  if (startsWithAny(l, {"Firmware Updates", "Optional Admin Commands", "Optional NVM Commands", "Log Page Attributes",
                        "Maximum Data Transfer Size", "Warning  Comp. Temp. Threshold",
                        "Critical Comp. Temp. Threshold", "Supported Power States", "Supported LBA Sizes"}) ||
      (startsWith(l, "Namespace ") && contains(l, "Features")))
    return Part::Capabilities;
  if (startsWith(l, "SMART overall-health self-assessment test result:")) return Part::Health;
  if (startsWith(l, "Read NVMe SMART/Health Information failed")) {
    healthOrAttributes = true;
    return Part::Attributes;
  }
  if (startsWith(l, "SMART/Health Information")) return Part::Attributes;
  if (startsWith(l, "Error Information (") || (startsWith(l, "Read ") && contains(l, "Error Information Log")))
    return Part::ErrorLog;
  if (startsWithAny(l, {"Self-test Log (", "Self-tests not supported", "Read Self-test Log failed"}))
    return Part::SelfTestLog;
  return std::nullopt;
}

std::optional<Part> scsiStart(std::string_view l) {
  if (startsWithAny(l, {"Vendor:", "Product:", "Revision:", "Compliance:", "User Capacity:", "Logical block size:",
                        "Physical block size:", "LU is ", "Rotation Rate:", "Form Factor:", "Logical Unit id:",
                        "Serial number:", "Device type:", "Transport protocol:", "Local Time is:", "SMART support is:",
                        "Temperature Warning", "Device supports SMART"}))
    return Part::Info;
  if (startsWithAny(l, {"Read Cache is:", "Writeback Cache is:", "Background scan results log",
                        "Protocol Specific port log page", "Device Statistics", "Device does not support Background"}))
    return Part::Extra;
  if (startsWithAny(l, {"SMART Health Status:", "TapeAlert"})) return Part::Health;
  if (startsWithAny(l, {"Current Drive Temperature:", "Drive Trip Temperature:", "Percentage used endurance",
                        "Manufactured in week", "Specified cycle count", "Accumulated start-stop cycles",
                        "Specified load-unload", "Accumulated load-unload", "Elements in grown defect list",
                        "defect list format", "Vendor (Seagate", "Accumulated power on time"}))
    return Part::Attributes;
  if (startsWithAny(l, {"Error counter log:", "Error Counter logging not supported", "Non-medium error count:",
                        "[GLTSD", "Pending defect"}))
    return Part::ErrorLog;
  if (startsWithAny(l, {"SMART Self-test log", "No self-tests have been logged", "Long (extended) Self",
                        "Device does not support Self Test logging"}))
    return Part::SelfTestLog;
  return std::nullopt;
}

std::optional<Part> ataStart(std::string_view l) {
  if (startsWithAny(l, {"AAM feature is:", "APM feature is:", "Rd look-ahead is:", "Write cache is:",
                        "ATA Security is:", "Wt Cache Reorder:", "Write SCT (Get) Feature Control",
                        "SMART Log Directory", "General Purpose Log Directory", "Read GP Log Directory failed",
                        "ATA_READ_LOG_EXT", "SMART Extended Comprehensive Error Log", "SMART Extended Self-test Log",
                        "SCT Status Version", "SCT Temperature History", "Write SCT (Get) Error Recovery",
                        "SCT (Get) Error Recovery", "SCT Error Recovery Control", "Device Statistics",
                        "SATA Phy Event Counters", "Pending Defects log"}))
    return Part::Extra;
  if (startsWithAny(l, {"SMART overall-health self-assessment test result:", "SMART Status not supported",
                        "SMART Status command failed", "Warning: This result is based on an Attribute check",
                        "Please note the following marginal Attributes", "Failed Attributes:"}))
    return Part::Health;
  if (startsWith(l, "General SMART Values:")) return Part::Capabilities;
  if (startsWith(l, "SMART Attributes Data Structure revision number:")) return Part::Attributes;
  if (startsWithAny(l, {"SMART Error Log Version:", "SMART Error Log not supported", "ATA Error Count:"}))
    return Part::ErrorLog;
  if (startsWithAny(l, {"SMART Self-test log structure revision number", "SMART Self-test Log not supported"}))
    return Part::SelfTestLog;
  if (startsWithAny(l, {"SMART Selective self-test log data structure", "Warning! SMART Selective Self-Test Log"}))
    return Part::SelectiveLog;
  return std::nullopt;
}

std::vector<Tagged> tag(const std::vector<std::string>& body) {
  const Kind kind = kindOf(body);
  std::vector<Tagged> out;
  Tag tagNow = Tag::Always;
  Part partNow = Part::Info;
  bool healthOrAttributes = false;
  bool afterLocalTime = false;
  for (const std::string& line : body) {
    const std::string_view l = trimmed(line);
    if (l.empty()) {
      out.push_back({line, tagNow, partNow, healthOrAttributes});
      continue;
    }
    if (startsWith(l, "=== START OF INFORMATION SECTION")) {
      out.push_back({line, Tag::InfoHeader});
      tagNow = Tag::Part;
      partNow = Part::Info;
      afterLocalTime = false;
      continue;
    }
    if (startsWith(l, "=== START OF READ SMART DATA SECTION") || startsWith(l, "=== START OF SMART DATA SECTION")) {
      out.push_back({line, Tag::DataHeader});
      tagNow = Tag::Always;  // until a line opens a part
      continue;
    }
    // Only a line at the margin opens a part: indented ones continue a block
    // ("    Accumulated power on time" inside the background scan log).
    std::optional<Part> start;
    bool hOrA = false;
    const bool atMargin = line[0] != ' ' && line[0] != '\t';
    if (!atMargin) start = std::nullopt;
    else if (kind == Kind::Nvme) start = nvmeStart(l, hOrA);
    else if (kind == Kind::Scsi) start = scsiStart(l);
    else start = ataStart(l);
    // NVMe identity ends with the local time; what follows is -c.
    if (!start && kind == Kind::Nvme && tagNow == Tag::Part && partNow == Part::Info && afterLocalTime)
      start = Part::Capabilities;
    if (start) {
      tagNow = Tag::Part;
      partNow = *start;
      healthOrAttributes = hOrA;
    }
    if (tagNow == Tag::Part && partNow == Part::Info && startsWith(l, "Local Time is:")) afterLocalTime = true;
    out.push_back({line, tagNow, partNow, healthOrAttributes});
  }
  return out;
}

bool selected(const Tagged& t, const Request& r) {
  if (t.tag == Tag::Always) return true;
  if (t.tag != Tag::Part) return false;
  if (t.healthOrAttributes) return r.parts.count(Part::Health) || r.parts.count(Part::Attributes);
  return r.parts.count(t.part) > 0;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

}  // namespace

int exitStatusFor(const std::vector<std::string>& printed) {
  int status = 0;
  bool inAtaSelfTests = false, inScsiSelfTests = false;
  for (const std::string& line : printed) {
    const std::string_view l = trimmed(line);
    if (contains(l, "Please specify device type") || contains(l, "Unable to detect device type") ||
        contains(l, "Unknown USB bridge"))
      status |= 1;
    if ((startsWith(l, "Device is in ") && contains(l, "mode, exit(")) || contains(l, "open device:") ||
        startsWith(l, "Read NVMe Identify Controller failed") || startsWith(l, "Read Device Identity failed"))
      status |= 2;
    if ((startsWith(l, "Read ") && contains(l, " failed")) || contains(l, "A mandatory SMART command failed") ||
        startsWith(l, "Device does not support Self Test logging"))
      status |= 4;
    if (contains(l, "self-assessment test result: FAILED") ||
        (startsWith(l, "SMART Health Status:") && trimmed(l.substr(20)) != "OK"))
      status |= 8;
    if (contains(l, "FAILING_NOW")) status |= 16;
    if (contains(l, "In_the_past")) status |= 32;
    if (startsWith(l, "ATA Error Count:") && std::atoi(std::string(l.substr(16)).c_str()) > 0) status |= 64;
    if (startsWith(l, "SMART Self-test log structure")) inAtaSelfTests = true;
    if (startsWith(l, "SMART Self-test log") && !inAtaSelfTests) inScsiSelfTests = true;
    if (startsWith(l, "#") && (inAtaSelfTests || inScsiSelfTests)) {
      const bool failedRow = inScsiSelfTests ? contains(l, "Failed") || contains(l, "segment failed")
                                             : contains(l, "failure") || contains(l, "Fatal") || contains(l, "damage");
      if (failedRow) status |= 128;
    }
  }
  return status;
}

Answer answer(const std::string& capture, const Request& request) {
  std::vector<std::string> lines = splitLines(capture);
  for (std::string& l : lines)
    if (!l.empty() && l.back() == '\r') l.pop_back();
  // The banner: the lines up to the first empty one.
  size_t bodyStart = 0;
  std::vector<std::string> banner;
  while (bodyStart < lines.size() && !trimmed(lines[bodyStart]).empty()) banner.push_back(lines[bodyStart++]);
  if (banner.empty() || !startsWith(banner.front(), "smartctl")) {
    banner = {"smartctl 7.4 2023-08-01 r5530 [x86_64-linux] (stand-in)",
              "Copyright (C) 2002-23, Bruce Allen, Christian Franke, www.smartmontools.org"};
    bodyStart = 0;
  }
  const std::vector<std::string> body(lines.begin() + static_cast<long>(bodyStart), lines.end());

  std::vector<std::string> out;
  if (request.version) {
    out = {"smartctl comes with ABSOLUTELY NO WARRANTY. This is free",
           "software, and you are welcome to redistribute it under",
           "the terms of the GNU General Public License; either version 2, or (at",
           "your option) any later version. See https://www.gnu.org for further details."};
    return {joined(banner) + "\n" + joined(out), 0};
  }

  // An answer with no drive in it (asleep, no device type, open failure)
  // is all the capture can give, whatever was asked.
  const std::vector<Tagged> tagged = tag(body);
  if (request.selfTest || request.enable) {
    const bool nvme = kindOf(body) == Kind::Nvme;
    if (request.enable) out = {"=== START OF ENABLE/DISABLE COMMANDS SECTION ===", "SMART Enabled."};
    else if (nvme && contains(capture, "Self-tests not supported")) out = {"Self-tests not supported", ""};
    else if (*request.selfTest == "abort") out = {nvme ? "Self-test aborted!" : "Self Test returned without error"};
    else out = {"Self-test has begun", "Use smartctl -X to abort test"};
    return {joined(banner) + "\n" + joined(out), 0};
  }

  // Headers are printed when something under them is (an NVMe data header
  // not for the self-test log alone, as smartctl does).
  const Kind kind = kindOf(body);
  for (size_t i = 0; i < tagged.size(); ++i) {
    const Tagged& t = tagged[i];
    if (t.tag == Tag::InfoHeader || t.tag == Tag::DataHeader) {
      bool any = false;
      for (size_t j = i + 1; j < tagged.size() && !any; ++j) {
        if (tagged[j].tag == Tag::InfoHeader || tagged[j].tag == Tag::DataHeader) break;
        if (tagged[j].tag != Tag::Part || trimmed(tagged[j].line).empty() || !selected(tagged[j], request)) continue;
        any = !(kind == Kind::Nvme && t.tag == Tag::DataHeader && tagged[j].part == Part::SelfTestLog);
      }
      // smartctl prints each header once.
      const bool seen = std::any_of(out.begin(), out.end(), [&](const std::string& o) { return o == t.line; });
      if (any && !seen) out.push_back(t.line);
      continue;
    }
    if (!selected(t, request)) continue;
    // One empty line between blocks, as smartctl separates them.
    if (trimmed(t.line).empty() && (out.empty() || trimmed(out.back()).empty())) continue;
    out.push_back(t.line);
  }
  return {joined(banner) + "\n" + joined(out), exitStatusFor(out)};
}

}  // namespace standin
