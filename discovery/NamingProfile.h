// How drive discovery reads one kind of machine: which programs list the
// devices and the mounts, which device names are whole disks, which disk a
// mount line belongs to, and what the mounted volume is called.
//
// The macOS profile reads "/dev/disk<N>" devices and "/Volumes/<name>"
// mounts. The Linux profile applies the same scan to Linux names:
//   whole disks   sda, vda, hda, xvda (up to three letters), nvme0n1, mmcblk0
//   their parts   sda1 -> sda, nvme0n1p2 -> nvme0n1, mmcblk0p1 -> mmcblk0
//   volume names  the last part of /media/<user>/<name>, /run/media/<user>/<name>
//                 and /mnt/<name>; any other mount is called by its mount
//                 point ("/", "/home", "/boot/efi"), which is how df, lsblk
//                 and a Linux admin name them. So the root volume is "/".
// Mapper devices, loop devices, optical drives, RAID and anything else
// that is not a partition of a whole disk are left out.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace discovery {

struct NamingProfile {
  std::string name;  // "macOS" or "Linux", for messages
  // The listing programs; tests and demos point them at prepared listings.
  std::string lsPath = "/bin/ls";
  std::string dfPath = "/bin/df";
  std::vector<std::string> deviceListing{"/dev"};
  // ls arguments of the listing whose link to "/" names the root volume;
  // nothing when the profile names every volume from its df line.
  std::optional<std::vector<std::string>> rootListing;
  // df lines that hold this text are volumes.
  std::string mountMarker;

  // Whether one line of the device listing names a whole disk.
  bool (*isWholeDisk)(const std::string& deviceName) = nullptr;
  // The whole disk's device path a df line is mounted from, or nothing when
  // the line names no disk this profile can read.
  std::optional<std::string> (*deviceStem)(const std::string& dfLine) = nullptr;
  // The volume's name as the df line gives it, or nothing when it is to be
  // named like the root volume.
  std::optional<std::string> (*volumeName)(const std::string& dfLine) = nullptr;
};

NamingProfile macOSNaming();
NamingProfile linuxNaming();
// The profile of the platform this program runs on.
NamingProfile nativeNaming();

}  // namespace discovery
