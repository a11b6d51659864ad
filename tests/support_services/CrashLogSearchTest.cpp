#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utime.h>

#include <thread>

#include "support/CrashLogSearch.h"
#include "tests/support/TestPlatform.h"

using testing_support::ScratchDir;

namespace {

class CrashLogFolder : public ::testing::Test {
 protected:
  std::string file(const std::string& relative, time_t modified) {
    auto p = scratch.write(relative, "report of " + relative);
    struct utimbuf times {modified, modified};
    utime(p.c_str(), &times);
    return p.string();
  }
  std::string folder() const { return scratch.path().string(); }
  ScratchDir scratch;
};

TEST_F(CrashLogFolder, NewestMatchingFileWins) {
  file("Tarvel_2020-01-01.crash", 1000);
  file("Tarvel_2020-06-01.crash", 3000);
  file("Tarvel_2021-01-01.crash.log", 9000);  // wrong suffix
  file("Tarvel.crash", 9000);                  // no "_" after the name
  file("Other_2021-01-01.crash", 9000);        // another program
  file("TarvelX_2021-01-01.crash", 9000);      // a name that only starts alike
  file("sub/Tarvel_2021-01-01.crash", 9000);   // relative path starts with "sub/"
  EXPECT_EQ(PXFindNewestCrashLog("Tarvel", folder()), folder() + "/Tarvel_2020-06-01.crash");
}

TEST_F(CrashLogFolder, SearchGoesIntoSubfoldersByRelativePath) {
  file("Tarvel_2020-06-01.crash", 3000);
  file("Tarvel_old/inner.crash", 5000);
  EXPECT_EQ(PXFindNewestCrashLog("Tarvel", folder()), folder() + "/Tarvel_old/inner.crash");
}

TEST_F(CrashLogFolder, OnEqualTimesTheFirstMetStays) {
  file("Tarvel_b.crash", 2000);
  file("Tarvel_a.crash", 2000);
  file("Tarvel_c.crash", 2000);
  EXPECT_EQ(PXFindNewestCrashLog("Tarvel", folder()), folder() + "/Tarvel_a.crash");
}

TEST_F(CrashLogFolder, NothingFound) {
  EXPECT_EQ(PXFindNewestCrashLog("Tarvel", folder()), std::nullopt);
  EXPECT_EQ(PXFindNewestCrashLog("Tarvel", folder() + "/missing"), std::nullopt);
  scratch.write("Tarvel_dir.crash/placeholder", "");  // a folder is not a log
  EXPECT_EQ(PXFindNewestCrashLog("Tarvel", folder()), std::nullopt);
}

TEST_F(CrashLogFolder, UnreadableSubfolderIsSkipped) {
  file("Tarvel_1.crash", 1000);
  file("locked/x", 1000);
  chmod((scratch.path() / "locked").c_str(), 0);
  std::optional<std::string> found;
  if (geteuid() == 0) {
    // Root reads every folder: search from a thread that runs as nobody (a
    // raw setresuid changes the calling thread only, not the test's others).
    chmod(folder().c_str(), 0755);
    std::thread([&] {
      if (syscall(SYS_setresuid, 65534, 65534, 65534) == 0) found = PXFindNewestCrashLog("Tarvel", folder());
    }).join();
  } else {
    found = PXFindNewestCrashLog("Tarvel", folder());
  }
  EXPECT_EQ(found, folder() + "/Tarvel_1.crash");
  chmod((scratch.path() / "locked").c_str(), 0700);
}

}  // namespace
