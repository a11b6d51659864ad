#include "discovery/NamingProfile.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
  const char* name;
  bool wholeDisk;
};

struct StemCase {
  const char* line;
  std::optional<std::string> stem;
};

struct VolumeCase {
  const char* line;
  std::optional<std::string> volume;
};

}  // namespace

TEST(MacNaming, WholeDisks) {
  const discovery::NamingProfile mac = discovery::macOSNaming();
  const NameCase cases[] = {
      {"disk0", true},    {"disk1", true},      {"disk12", true},  {"disk123", false}, {"disk0s1", false},
      {"disk12s3", false}, {"rdisk0", false},   {"rdisk12", false}, {"disk", false},   {"", false},
      {"Disk0", false},    {"fd", false},
  };
  for (const auto& c : cases) EXPECT_EQ(mac.isWholeDisk(c.name), c.wholeDisk) << c.name;
}

TEST(MacNaming, DeviceStems) {
  const discovery::NamingProfile mac = discovery::macOSNaming();
  const StemCase cases[] = {
      {"/dev/disk0s2    976490576 409654344 566324232    42%  /", "/dev/disk0"},
      {"/dev/disk12s3   100 10 90 10% /Volumes/Twelve", "/dev/disk12"},
      {"/dev/disk100s1  100 10 90 10% /Volumes/Big", "/dev/disk100"},
      {"/dev/disk3      100 10 90 10% /Volumes/Whole", "/dev/disk3"},
      {"/dev/disk1000s1 100 10 90 10% /Volumes/Huge", "/dev/disk1000s1"},
      {"/dev/disk0s2", "/dev/disk0"},
      // Unreadable: no end to the device, or the device not first on the line.
      {"/dev/disk3", std::nullopt},
      {"/dev/disk1000s1", std::nullopt},
      {"map -hosts  0 0 0 100% /net /dev/disk4s1", std::nullopt},
      {"devfs 371 371 0 100% /dev", std::nullopt},
      {"/dev/disks 1 1 0 1% /x", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(mac.deviceStem(c.line), c.stem) << c.line;
}

TEST(MacNaming, VolumeNames) {
  const discovery::NamingProfile mac = discovery::macOSNaming();
  const VolumeCase cases[] = {
      {"/dev/disk1s2 100 10 90 10% /Volumes/Backup Disk", "Backup Disk"},
      {"/dev/disk1s2 100 10 90 10% /Volumes/A/Volumes/B", "A/Volumes/B"},
      {"/dev/disk0s2 100 10 90 10% /", std::nullopt},
      {"/dev/disk0s3 100 10 90 10% /private/var/vm", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(mac.volumeName(c.line), c.volume) << c.line;
}

TEST(LinuxNaming, WholeDisks) {
  const discovery::NamingProfile gnu = discovery::linuxNaming();
  const NameCase cases[] = {
      {"sda", true},        {"sdb", true},        {"sdaa", true},       {"vda", true},
      {"hda", true},        {"xvda", true},       {"nvme0n1", true},    {"nvme12n3", true},
      {"mmcblk0", true},    {"mmcblk10", true},   {"sda1", false},      {"sdaa12", false},
      {"nvme0n1p2", false}, {"mmcblk0p1", false}, {"mmcblk0boot0", false}, {"mmcblk0rpmb", false},
      {"nvme0", false},     {"nvme", false},      {"nvmen1", false},    {"loop0", false},
      {"sr0", false},       {"dm-0", false},      {"md0", false},       {"sd", false},
      {"sdabcd", false},    {"sdA", false},       {"snd", false},       {"tty0", false},
      {"mmcblk", false},    {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(gnu.isWholeDisk(c.name), c.wholeDisk) << c.name;
}

TEST(LinuxNaming, DeviceStems) {
  const discovery::NamingProfile gnu = discovery::linuxNaming();
  const StemCase cases[] = {
      {"/dev/sda1        960302804 10000000 901448228   2% /", "/dev/sda"},
      {"/dev/sdab12      1 1 1 1% /x", "/dev/sdab"},
      {"/dev/nvme0n1p2   490617784 12345678 453271234   3% /", "/dev/nvme0n1"},
      {"/dev/mmcblk0p1   30000 100 29900 1% /mnt/sdcard", "/dev/mmcblk0"},
      {"/dev/vda15       1 1 1 1% /boot/efi", "/dev/vda"},
      {"/dev/xvda1\t1 1 1 1% /", "/dev/xvda"},
      {"/dev/sdd         1 1 1 1% /srv/data", "/dev/sdd"},
      {"/dev/nvme0n1     1 1 1 1% /srv/data", "/dev/nvme0n1"},
      // Not a partition of a whole disk, or not readable.
      {"/dev/mapper/vg-root 1 1 1 1% /", std::nullopt},
      {"/dev/dm-0        1 1 1 1% /", std::nullopt},
      {"/dev/loop0       56832 56832 0 100% /snap/core18/2128", std::nullopt},
      {"/dev/sr0         1 1 0 100% /media/cdrom", std::nullopt},
      {"/dev/md0         1 1 1 1% /srv", std::nullopt},
      {"/dev/mmcblk0boot0 1 1 1 1% /x", std::nullopt},
      {"/dev/nvme0n1p    1 1 1 1% /x", std::nullopt},
      {"/dev/sda1a       1 1 1 1% /x", std::nullopt},
      {"/dev/sda1", std::nullopt},
      {"tmpfs            8134988 0 8134988 0% /dev/shm", std::nullopt},
      {"udev             8123456 0 8123456 0% /dev", std::nullopt},
      {"overlay 1 1 1 1% /var/lib/docker/overlay2/x /dev/sda1", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(gnu.deviceStem(c.line), c.stem) << c.line;
}

TEST(LinuxNaming, VolumeNames) {
  const discovery::NamingProfile gnu = discovery::linuxNaming();
  const VolumeCase cases[] = {
      {"/dev/sda1 100 10 90 10% /", "/"},
      {"/dev/sda2 100 10 90 10% /boot/efi", "/boot/efi"},
      {"/dev/sdb1 100 10 90 10% /media/alice/Backup Disk", "Backup Disk"},
      {"/dev/sdc1 100 10 90 10% /run/media/bob/USB STICK", "USB STICK"},
      {"/dev/sdc1 100 10 90 10% /media/cdrom", "cdrom"},
      {"/dev/mmcblk0p1 100 10 90 10% /mnt/sd card", "sd card"},
      {"/dev/sdd 100 10 90 10% /mnt", "/mnt"},
      {"/dev/sde1 100 10 90 10% /srv/my data", "/srv/my data"},
      {"/dev/sde1   1953514584   1024 1953513560    1%   /media/alice/x", "x"},
      // Too few columns to find the mount point.
      {"/dev/sde1 100 10 /media/alice/x", std::nullopt},
      {"/dev/sde1", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(gnu.volumeName(c.line), c.volume) << c.line;
}
