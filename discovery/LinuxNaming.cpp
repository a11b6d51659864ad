// Device and volume names of a Linux machine: sda1, nvme0n1p2, mmcblk0p1,
// volumes under /media, /run/media and /mnt.
#include <cstring>

#include "discovery/NamingProfile.h"
#include "platform/Text.h"

namespace discovery {

namespace {

using platform::isBlank;
using platform::isDigit;
using platform::isLower;

size_t skip(const std::string& s, size_t i, bool (*accept)(char)) {
  while (i < s.size() && accept(s[i])) ++i;
  return i;
}

enum class Family { None, Lettered, Numbered };

struct DiskName {
  size_t length = 0;
  Family family = Family::None;
};

// The whole-disk name at the start of a device name.
DiskName leadingDisk(const std::string& name) {
  for (const char* prefix : {"xvd", "sd", "vd", "hd"}) {
    size_t p = std::strlen(prefix);
    if (name.compare(0, p, prefix) != 0) continue;
    size_t end = skip(name, p, isLower);
    if (end > p && end - p <= 3) return {end, Family::Lettered};
    return {};
  }
  if (name.starts_with("nvme")) {
    size_t controller = skip(name, 4, isDigit);
    if (controller == 4 || controller >= name.size() || name[controller] != 'n') return {};
    size_t ns = skip(name, controller + 1, isDigit);
    if (ns == controller + 1) return {};
    return {ns, Family::Numbered};
  }
  if (name.starts_with("mmcblk")) {
    size_t end = skip(name, 6, isDigit);
    if (end == 6) return {};
    return {end, Family::Numbered};
  }
  return {};
}

// The whole disk a device belongs to: itself, or the disk of a partition.
std::optional<std::string> diskOf(const std::string& name) {
  DiskName disk = leadingDisk(name);
  if (disk.family == Family::None) return std::nullopt;
  std::string rest = name.substr(disk.length);
  if (rest.empty()) return name;
  // sda1 has digits after the letters; nvme0n1p2 and mmcblk0p1 a "p" first.
  size_t start = disk.family == Family::Numbered ? 1 : 0;
  if (disk.family == Family::Numbered && rest[0] != 'p') return std::nullopt;
  if (rest.size() == start || skip(rest, start, isDigit) != rest.size()) return std::nullopt;
  return name.substr(0, disk.length);
}

bool linuxIsWholeDisk(const std::string& name) {
  DiskName disk = leadingDisk(name);
  return disk.family != Family::None && disk.length == name.size();
}

const std::string kDevPrefix = "/dev/";

bool isNotBlank(char c) { return !isBlank(c); }

std::optional<std::string> linuxDeviceStem(const std::string& line) {
  if (line.compare(0, kDevPrefix.size(), kDevPrefix) != 0) return std::nullopt;
  size_t end = line.find_first_of(" \t");
  if (end == std::string::npos) return std::nullopt;
  std::string name = line.substr(kDevPrefix.size(), end - kDevPrefix.size());
  auto disk = diskOf(name);
  if (!disk) return std::nullopt;
  return kDevPrefix + *disk;
}

// df's last column: after the device come size, used, available and use%,
// then the mount point, which may hold blanks.
std::optional<std::string> mountPoint(const std::string& line) {
  size_t i = skip(line, 0, isNotBlank);
  for (int field = 0; field < 4; ++field) {
    i = skip(line, i, isBlank);
    size_t end = skip(line, i, isNotBlank);
    if (end == i) return std::nullopt;
    i = end;
  }
  i = skip(line, i, isBlank);
  if (i >= line.size() || line[i] != '/') return std::nullopt;
  return line.substr(i);
}

std::optional<std::string> linuxVolumeName(const std::string& line) {
  auto mount = mountPoint(line);
  if (!mount) return std::nullopt;
  for (const char* folder : {"/run/media/", "/media/"}) {
    if (!mount->starts_with(folder)) continue;
    // Desktops mount at <folder>/<user>/<name>; older set-ups at <folder>/<name>.
    std::string rest = mount->substr(std::strlen(folder));
    size_t slash = rest.find('/');
    if (slash != std::string::npos && slash + 1 < rest.size()) rest = rest.substr(slash + 1);
    if (!rest.empty()) return rest;
  }
  if (mount->starts_with("/mnt/") && mount->size() > 5) return mount->substr(5);
  return mount;
}

}  // namespace

NamingProfile linuxNaming() {
  NamingProfile p;
  p.name = "Linux";
  p.mountMarker = kDevPrefix;
  p.isWholeDisk = linuxIsWholeDisk;
  p.deviceStem = linuxDeviceStem;
  p.volumeName = linuxVolumeName;
  return p;
}

}  // namespace discovery
