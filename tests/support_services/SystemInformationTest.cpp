#include <gtest/gtest.h>

#include <filesystem>

#include "support/ModelNames.h"
#include "support/SystemInformation.h"
#include "tests/CaseFile.h"

using testing_support::ScratchDir;

namespace {

// The cases of tests/support_services/model-names.txt.
TEST(ModelNames, LookupRules) {
  for (const auto& c : testing_support::readCases("support_services/model-names.txt"))
    EXPECT_EQ(support::modelNameForIdentifier(c[0] == "-" ? "" : c[0]), c[1]) << c.line;
}

class StagedMachine : public ::testing::Test {
 protected:
  void put(const std::string& path, const std::string& text) { scratch.write(path.substr(1), text); }
  void drop(const std::string& path) { std::filesystem::remove(scratch.path() / path.substr(1)); }
  ScratchDir scratch;
  support::SystemInformation info{scratch.path().string()};
};

TEST_F(StagedMachine, VersionFromOsRelease) {
  struct Case {
    const char* osRelease;
    std::optional<std::string> version;
    int32_t major, minor, bugFix;
  };
  const Case cases[] = {
      {"NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\n", "12", 12, -1, -1},
      {"VERSION_ID=22.04\n", "22.04", 22, 4, -1},
      {"VERSION_ID='10.9.5'\nBUILD_ID=x\n", "10.9.5", 10, 9, 5},
      // rolling distributions: the build id
      {"NAME=Arch\nBUILD_ID=rolling\n", "rolling", 0, -1, -1},
      {"NAME=sid\n", std::nullopt, -1, -1, -1},
  };
  for (const auto& c : cases) {
    put("/etc/os-release", c.osRelease);
    support::SystemInformation fresh(scratch.path().string());
    EXPECT_EQ(fresh.systemVersionString(), c.version) << c.osRelease;
    int32_t major = -1, minor = -1, bugFix = -1;
    fresh.systemVersionComponents(&major, &minor, &bugFix);
    EXPECT_EQ(major, c.major) << c.osRelease;
    EXPECT_EQ(minor, c.minor) << c.osRelease;
    EXPECT_EQ(bugFix, c.bugFix) << c.osRelease;
  }
}

TEST_F(StagedMachine, VersionIsReadAgainUntilFoundThenKept) {
  EXPECT_EQ(info.systemVersionString(), std::nullopt);
  put("/usr/lib/os-release", "VERSION_ID=\"11\"\n");
  EXPECT_EQ(info.systemVersionString(), "11");
  put("/etc/os-release", "VERSION_ID=\"12\"\n");
  EXPECT_EQ(info.systemVersionString(), "11");
}

TEST_F(StagedMachine, ClockSpeedFallsBackFromCpufreqToCpuinfoToOne) {
  EXPECT_EQ(info.cpuClockSpeedMHz(), 1u);
  put("/proc/cpuinfo", "processor\t: 0\nmodel name\t: Some CPU\ncpu MHz\t\t: 2596.126\n");
  EXPECT_EQ(info.cpuClockSpeedMHz(), 2596u);
  put("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq", "3400000\n");
  EXPECT_EQ(info.cpuClockSpeedMHz(), 3400u);
  put("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq", "garbage\n");
  EXPECT_EQ(info.cpuClockSpeedMHz(), 2596u);
  put("/proc/cpuinfo", "cpu MHz : nonsense\n");
  EXPECT_EQ(info.cpuClockSpeedMHz(), 1u);
}

TEST_F(StagedMachine, CpuNameIsCachedUntilForced) {
  EXPECT_EQ(info.cpuName(false), std::nullopt);
  put("/proc/cpuinfo", "processor\t: 0\nmodel name\t: First CPU\n\nprocessor\t: 1\nmodel name\t: Other\n");
  EXPECT_EQ(info.cpuName(false), "First CPU");
  put("/proc/cpuinfo", "model name\t: Second CPU\n");
  EXPECT_EQ(info.cpuName(false), "First CPU");
  EXPECT_EQ(info.cpuName(true), "Second CPU");
  drop("/proc/cpuinfo");
  EXPECT_EQ(info.cpuName(true), std::nullopt);
  EXPECT_EQ(info.cpuName(false), "Second CPU");
}

TEST_F(StagedMachine, ModelNameFromDmiProductName) {
  const std::pair<std::string, std::string> cases[] = {
      {"MacBookPro11,3\n", "MacBook Pro (15-inch, Retina, Late 2013 or Mid 2014)"},
      {"M43ADP1,1 \n", "Development Mac Pro"},
      {"VMware7,1\n", "Unknown (VMware7,1)"},
      {"Standard PC (Q35 + ICH9, 2009)\n", "Unknown (Standard PC (Q35 + ICH9, 2009))"},
  };
  for (const auto& [file, name] : cases) {
    put("/sys/class/dmi/id/product_name", file);
    support::SystemInformation fresh(scratch.path().string());
    EXPECT_EQ(fresh.machineModelName(), name) << file;
  }
}

TEST_F(StagedMachine, MissingProductNameIsNotCached) {
  EXPECT_EQ(info.machineModelName(), std::nullopt);
  put("/sys/class/dmi/id/product_name", "iMac14,2\n");
  EXPECT_EQ(info.machineModelName(), "iMac (27-inch, Late 2013)");
  put("/sys/class/dmi/id/product_name", "VMware7,1\n");
  EXPECT_EQ(info.machineModelName(), "iMac (27-inch, Late 2013)");
}

}  // namespace
