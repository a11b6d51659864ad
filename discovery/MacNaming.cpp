// Device and volume names of a macOS machine: /dev/disk<N>s<M>, /Volumes.
#include "discovery/NamingProfile.h"

namespace discovery {

namespace {

const std::string kDiskPrefix = "/dev/disk";

bool macIsWholeDisk(const std::string& line) {
  return line.find("disk") == 0 && (line.size() == 5 || line.size() == 6);
}

std::optional<std::string> macDeviceStem(const std::string& line) {
  // df prints the device first; a line that does not start with it, or
  // gives no end to the device, could only be cut at a wrong place.
  if (line.compare(0, kDiskPrefix.size(), kDiskPrefix) != 0) return std::nullopt;
  const std::string rest = line.substr(kDiskPrefix.size());
  size_t k = rest.find('s');
  if (k == std::string::npos || k >= 4) k = rest.find_first_of(" \t");
  if (k == std::string::npos || k == 0) return std::nullopt;
  return line.substr(0, kDiskPrefix.size() + k);
}

std::optional<std::string> macVolumeName(const std::string& line) {
  static const std::string kVolumes = "/Volumes/";
  size_t at = line.find(kVolumes);
  if (at == std::string::npos) return std::nullopt;
  return line.substr(at + kVolumes.size());
}

}  // namespace

NamingProfile macOSNaming() {
  NamingProfile p;
  p.name = "macOS";
  p.rootListing = std::vector<std::string>{"-la", "/Volumes"};
  p.mountMarker = kDiskPrefix;
  p.isWholeDisk = macIsWholeDisk;
  p.deviceStem = macDeviceStem;
  p.volumeName = macVolumeName;
  return p;
}

NamingProfile nativeNaming() {
#ifdef __APPLE__
  return macOSNaming();
#else
  return linuxNaming();
#endif
}

}  // namespace discovery
