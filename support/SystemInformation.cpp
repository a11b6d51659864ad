#include "support/SystemInformation.h"

#include <sys/sysinfo.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/Text.h"
#include "support/ModelNames.h"

namespace support {

namespace {

std::string trim(const std::string& s) { return std::string(platform::trimmed(s)); }

// One os-release value: quotes removed, backslash escapes resolved.
std::string unquote(const std::string& raw) {
  std::string v = trim(raw);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    char q = v.front();
    std::string out;
    for (size_t i = 1; i + 1 < v.size(); ++i) {
      if (q == '"' && v[i] == '\\' && i + 2 < v.size()) ++i;
      out += v[i];
    }
    return out;
  }
  return v;
}

std::optional<std::string> osReleaseValue(const std::string& text, const std::string& key) {
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, key.size() + 1, key + "=") == 0) {
      std::string v = unquote(line.substr(key.size() + 1));
      if (!v.empty()) return v;
    }
  }
  return std::nullopt;
}

// The value after "label<blanks>:" on the first line starting with label.
std::optional<std::string> cpuinfoValue(const std::string& text, const std::string& label) {
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, label.size(), label) != 0) continue;
    size_t colon = line.find(':', label.size());
    if (colon == std::string::npos || trim(line.substr(label.size(), colon - label.size())) != "") continue;
    return trim(line.substr(colon + 1));
  }
  return std::nullopt;
}

// The integer a text starts with, as the version pieces are read: leading
// blanks, a sign, digits; 0 when there are none; clamped to 32 bits.
int32_t intValue(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int64_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    v = v * 10 + (s[i] - '0');
    if (v > INT32_MAX) v = int64_t{INT32_MAX} + 1;
  }
  v = negative ? -v : v;
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

std::optional<uint64_t> parseUnsigned(const std::string& s) {
  std::string t = trim(s);
  if (t.empty() || t[0] < '0' || t[0] > '9') return std::nullopt;
  errno = 0;
  char* end = nullptr;
  unsigned long long v = std::strtoull(t.c_str(), &end, 10);
  if (errno != 0) return std::nullopt;
  return v;
}

}  // namespace

SystemInformation::SystemInformation(std::string root) : root_(std::move(root)) {}

std::optional<std::string> SystemInformation::readFile(const std::string& path) const {
  std::ifstream in(root_ + path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream ss;
  ss << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return ss.str();
}

std::optional<std::string> SystemInformation::systemVersionString() {
  if (versionCache_) return versionCache_;
  auto text = readFile("/etc/os-release");
  if (!text) text = readFile("/usr/lib/os-release");
  if (!text) return std::nullopt;
  auto v = osReleaseValue(*text, "VERSION_ID");
  if (!v) v = osReleaseValue(*text, "BUILD_ID");
  if (v) versionCache_ = v;
  return v;
}

void SystemInformation::systemVersionComponents(int32_t* major, int32_t* minor, int32_t* bugFix) {
  auto v = systemVersionString();
  if (!v) return;
  std::vector<std::string> pieces;
  size_t start = 0;
  for (;;) {
    size_t dot = v->find('.', start);
    pieces.push_back(v->substr(start, dot == std::string::npos ? std::string::npos : dot - start));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  int32_t* out[] = {major, minor, bugFix};
  for (size_t i = 0; i < 3 && i < pieces.size(); ++i)
    if (out[i]) *out[i] = intValue(pieces[i]);
}

uint32_t SystemInformation::cpuClockSpeedMHz() {
  if (auto khz = readFile("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq")) {
    if (auto v = parseUnsigned(*khz); v && *v >= 1000 && *v / 1000 <= UINT32_MAX)
      return static_cast<uint32_t>(*v / 1000);
  }
  if (auto info = readFile("/proc/cpuinfo")) {
    if (auto mhz = cpuinfoValue(*info, "cpu MHz")) {
      if (auto v = parseUnsigned(*mhz); v && *v > 0 && *v <= UINT32_MAX) return static_cast<uint32_t>(*v);
    }
  }
  return 1;
}

int32_t SystemInformation::cpuCount() {
  long n = sysconf(_SC_NPROCESSORS_ONLN);
  if (n <= 0 || n > INT32_MAX) return 1;
  return static_cast<int32_t>(n);
}

std::optional<std::string> SystemInformation::cpuName(bool forceQuery) {
  if (!forceQuery && cpuNameCache_) return cpuNameCache_;
  auto info = readFile("/proc/cpuinfo");
  if (!info) return std::nullopt;
  auto name = cpuinfoValue(*info, "model name");
  if (!name) return std::nullopt;
  cpuNameCache_ = name;
  return name;
}

int32_t SystemInformation::physicalRAMSizeMB() {
  struct sysinfo si {};
  if (sysinfo(&si) != 0) return 0;
  uint64_t bytes = static_cast<uint64_t>(si.totalram) * (si.mem_unit ? si.mem_unit : 1);
  uint64_t mb = bytes >> 20;
  return mb > INT32_MAX ? INT32_MAX : static_cast<int32_t>(mb);
}

std::optional<std::string> SystemInformation::machineModelName() {
  if (modelNameCache_) return modelNameCache_;
  auto model = readFile("/sys/class/dmi/id/product_name");
  if (!model) return std::nullopt;
  // Only the line feed the kernel adds goes; blanks belong to the model
  // (one development machine's identifier ends in one).
  if (!model->empty() && model->back() == '\n') model->pop_back();
  modelNameCache_ = modelNameForIdentifier(*model);
  return modelNameCache_;
}

SystemInformation& thisMachine() {
  static SystemInformation machine;
  return machine;
}

}  // namespace support

std::optional<std::string> SystemVersionString() { return support::thisMachine().systemVersionString(); }
void SystemVersionComponents(int32_t* major, int32_t* minor, int32_t* bugFix) {
  support::thisMachine().systemVersionComponents(major, minor, bugFix);
}
uint32_t CPUClockSpeedMHz() { return support::thisMachine().cpuClockSpeedMHz(); }
int32_t CPUCount() { return support::thisMachine().cpuCount(); }
std::optional<std::string> CPUName(bool forceQuery) { return support::thisMachine().cpuName(forceQuery); }
int32_t PhysicalRAMSizeMB() { return support::thisMachine().physicalRAMSizeMB(); }
std::optional<std::string> MachineModelName() { return support::thisMachine().machineModelName(); }
