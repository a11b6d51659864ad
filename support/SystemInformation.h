// Facts about the machine for crash and feedback reports: system version,
// processor, memory and model name. Read from /etc/os-release, /proc and
// /sys; several answers are cached for the life of the object.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace support {

class SystemInformation {
 public:
  // `root` is prefixed to every file read, so tests can stage a machine in
  // a folder; "" reads the machine itself.
  explicit SystemInformation(std::string root = "");

  // VERSION_ID of os-release; BUILD_ID for rolling distributions that have
  // no version ("rolling" on Arch). Cached once found.
  std::optional<std::string> systemVersionString();
  // Integer values of the dot-separated pieces; a missing piece leaves its
  // out-parameter alone.
  void systemVersionComponents(int32_t* major, int32_t* minor, int32_t* bugFix);
  // Highest clock of cpu0 (cpufreq), else the "cpu MHz" of /proc/cpuinfo,
  // else 1.
  uint32_t cpuClockSpeedMHz();
  // Online processors; 1 when unknown.
  int32_t cpuCount();
  // The first "model name" of /proc/cpuinfo; a forced call reads again.
  std::optional<std::string> cpuName(bool forceQuery);
  int32_t physicalRAMSizeMB();
  // The readable name of the DMI product name (see ModelNames.h); nothing
  // when the machine reports no product name.
  std::optional<std::string> machineModelName();

 private:
  std::optional<std::string> readFile(const std::string& path) const;

  std::string root_;
  std::optional<std::string> versionCache_;
  std::optional<std::string> cpuNameCache_;
  std::optional<std::string> modelNameCache_;
};

// The machine this process runs on.
SystemInformation& thisMachine();

}  // namespace support

std::optional<std::string> SystemVersionString();
void SystemVersionComponents(int32_t* major, int32_t* minor, int32_t* bugFix);
uint32_t CPUClockSpeedMHz();
int32_t CPUCount();
std::optional<std::string> CPUName(bool forceQuery);
int32_t PhysicalRAMSizeMB();
std::optional<std::string> MachineModelName();
