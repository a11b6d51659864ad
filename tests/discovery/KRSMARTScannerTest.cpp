#include "discovery/KRSMARTScanner.h"

#include "tests/CaseFile.h"
#include "tests/support/TestPlatform.h"

using testing_support::FakeSmartctl;
using testing_support::PlatformTest;

namespace {

// One line per drive: "location: name, name".
std::vector<std::string> summary(const std::vector<KRSMARTDrive>& drives) {
  std::vector<std::string> out;
  for (const auto& d : drives) {
    std::string line = d.driveLocation().value_or("?") + ":";
    for (uint64_t i = 0; i < d.drivePartitionCount(); ++i) line += (i ? ", " : " ") + d.partitionNameAtIndex(i);
    out.push_back(line);
  }
  return out;
}

const char* kNoMounts = "Filesystem     512-blocks      Used Available Capacity  Mounted on\n";

const char* kMacDevices = "disk0\ndisk0s1\ndisk0s2\ndisk1\nrdisk0\nrdisk1\ndisk12\ndisk123\n";

// The listings of two machines (tests/discovery/listings): what df and
// "ls -la /Volumes" print on a Mac, what "ls /dev" and df print on Linux.
std::string listing(const std::string& name) {
  return testing_support::readFile(testing_support::sourceDir() / "tests/discovery/listings" / (name + ".txt"));
}

class ScannerTest : public PlatformTest {
 protected:
  // ls and df programs that print prepared listings; ls answers "/dev"
  // with `devices` and "-la /Volumes" with `volumes`.
  discovery::NamingProfile listings(discovery::NamingProfile p, const std::string& devices, const std::string& mounts,
                                    const std::string& volumes = "") {
    auto dir = scratch.path() / "listings";
    scratch.write("listings/devices", devices);
    scratch.write("listings/mounts", mounts);
    scratch.write("listings/volumes", volumes);
    p.lsPath = scratch
                   .write("bin/ls",
                          "#!/bin/sh\ncase \"$*\" in\n"
                          "  /dev) exec cat '" +
                              (dir / "devices").string() +
                              "' ;;\n"
                              "  '-la /Volumes') exec cat '" +
                              (dir / "volumes").string() +
                              "' ;;\n"
                              "esac\nexit 64\n",
                          true)
                   .string();
    p.dfPath = scratch.write("bin/df", "#!/bin/sh\nexec cat '" + (dir / "mounts").string() + "'\n", true).string();
    return p;
  }

  // Replaces one listing program by a script.
  std::string program(const std::string& name, const std::string& body) {
    return scratch.write("bin/" + name, "#!/bin/sh\n" + body + "\n", true).string();
  }
};

}  // namespace

// The cases of tests/discovery/listings.txt.
TEST_F(ScannerTest, BuildsDrivesFromListings) {
  auto text = [](const std::string& field) { return field.starts_with("@") ? listing(field.substr(1)) : field; };
  for (const auto& c : testing_support::readCases("discovery/listings.txt")) {
    auto scanner = KRSMARTScanner();
    scanner.setNamingProfile(listings(c[1] == "linux" ? discovery::linuxNaming() : discovery::macOSNaming(), text(c[2]),
                                      text(c[3]), text(c[4])));
    EXPECT_TRUE(scanner.scanForDrives()) << c.line;
    EXPECT_EQ(summary(scanner.getDrives()), testing_support::split(c[5])) << c.line;
  }
  EXPECT_TRUE(mem.log->contains("Error: could not find root volume name from ls"));
}

TEST_F(ScannerTest, ScanningAgainRebuildsTheSameListObject) {
  KRSMARTScanner scanner;
  scanner.setNamingProfile(listings(discovery::macOSNaming(), kMacDevices, listing("mac-df"), listing("mac-volumes")));
  std::vector<KRSMARTDrive>& list = scanner.getDrives();
  ASSERT_TRUE(scanner.scanForDrives());
  auto first = summary(list);
  ASSERT_TRUE(scanner.scanForDrives());
  EXPECT_EQ(&list, &scanner.getDrives());
  EXPECT_EQ(summary(list), first);
}

TEST_F(ScannerTest, DebugMessagesFollowThePreferenceAtEachScan) {
  KRSMARTScanner scanner;
  scanner.setNamingProfile(
      listings(discovery::macOSNaming(), "disk0\n", "/dev/disk0s2 9 4 5 42% 1 1 42% /\n", listing("mac-volumes")));
  scanner.scanForDrives();
  EXPECT_FALSE(mem.log->contains("Parsing drives."));
  mem.platform.preferences->setBool("OutputDebugMessages", true);
  scanner.scanForDrives();
  EXPECT_TRUE(mem.log->contains("Found root volume name: Macintosh HD"));
}

TEST_F(ScannerTest, ListingFailures) {
  struct Case {
    const char* name;
    bool commandLine;
    bool lsFails;      // else df fails
    std::string body;  // the failing program; empty: it does not exist
    const char* logged;
    bool alert;
    size_t drivesLeft;
  };
  const Case cases[] = {
      {"ls cannot start", false, true, "",
       "Exception occured in parseDrives->parseCommandLine(lsArray)- LaunchException: ", true, 0},
      {"ls cannot start, command line", true, true, "", "Exception occured in parseDrives->parseCommandLine(lsArray)- ",
       false, 0},
      {"ls killed", false, true, "kill -9 $$", "ls returned error code: -9", false, 0},
      {"ls prints nothing", false, true, "exit 0",
       "Exception occured in parseDrives->parseCommandLine(lsArray)- RangeException: ", true, 0},
      {"df cannot start", false, false, "",
       "Exception occured in parseDrives->parseCommandLine(lsArray)- LaunchException: ", true, 2},
      {"df cannot start, command line", true, false, "",
       "Exception occured in parseDrives->parseCommandLine(lsArray)- ", false, 2},
      {"df killed", false, false, "kill -9 $$", "df returned error code: -9", false, 2},
  };
  std::optional<platform::memory::MemoryAlerts::Alert> alert;
  for (const auto& c : cases) {
    mem.log->clear();
    mem.alerts->shown.clear();
    auto scanner = c.commandLine ? KRSMARTScanner::initForCommandLine() : KRSMARTScanner();
    discovery::NamingProfile p =
        listings(discovery::macOSNaming(), "disk0\ndisk1\n", "/dev/disk0s2 9 4 5 42% 1 1 42% /Volumes/A\n");
    std::string& failing = c.lsFails ? p.lsPath : p.dfPath;
    failing = c.body.empty() ? (scratch.path() / "missing").string() : program("failing", c.body);
    scanner.setNamingProfile(p);
    EXPECT_FALSE(scanner.scanForDrives()) << c.name;
    EXPECT_TRUE(mem.log->contains(c.logged)) << c.name;
    EXPECT_EQ(mem.alerts->shown.size(), c.alert ? 1u : 0u) << c.name;
    if (!mem.alerts->shown.empty()) alert = mem.alerts->shown.back();
    EXPECT_EQ(summary(scanner.getDrives()).size(), c.drivesLeft) << c.name;
    if (c.drivesLeft) {
      EXPECT_EQ(summary(scanner.getDrives())[0], "/dev/disk0:") << c.name;
    }
  }
  ASSERT_TRUE(alert);
  EXPECT_EQ(alert->message, "An Error Occurred");
  EXPECT_EQ(alert->informative,
            "An error occurred attempting to scan for drives. Tarvel may work incorrectly. Please contact " +
                platform::supportContact() + " for help.");
  EXPECT_EQ(alert->button, "OK");
}

TEST_F(ScannerTest, RootListingFailuresNameTheVolumeUnknown) {
  struct Case {
    const char* name;
    bool commandLine;
    bool startable;
    const char* logged;
    bool alert;
  };
  const Case cases[] = {
      {"killed", false, true, "ls returned error code: -9", false},
      {"cannot start", false, false,
       "Exception occured in findRootVolumeName->parseCommandLine- LaunchException: ", true},
      {"cannot start, command line", true, false, "Exception occured in findRootVolumeName->parseCommandLine- ", false},
  };
  for (const auto& c : cases) {
    mem.log->clear();
    mem.alerts->shown.clear();
    auto scanner = c.commandLine ? KRSMARTScanner::initForCommandLine() : KRSMARTScanner();
    discovery::NamingProfile p = listings(discovery::macOSNaming(), "disk0\n", "/dev/disk0s2 9 4 5 42% 1 1 42% /\n");
    std::string ls = p.lsPath;
    // The device listing works; the /Volumes listing is killed, or the
    // program is gone by then (df removes it).
    p.lsPath = program("ls2", "[ \"$1\" = /dev ] && exec '" + ls + "' \"$@\"\nkill -9 $$");
    if (!c.startable) p.dfPath = program("df2", "rm -f '" + p.lsPath + "'\nexec '" + p.dfPath + "'");
    scanner.setNamingProfile(p);
    EXPECT_TRUE(scanner.scanForDrives()) << c.name;
    EXPECT_EQ(summary(scanner.getDrives()), std::vector<std::string>{"/dev/disk0: unknown"}) << c.name;
    EXPECT_TRUE(mem.log->contains(c.logged)) << c.name;
    EXPECT_EQ(mem.alerts->shown.size(), c.alert ? 1u : 0u) << c.name;
  }
}

namespace {

const char* kSteps[][3] = {{"-i", nullptr}, {"-H", nullptr}, {"-c", nullptr},
                           {"-A", nullptr}, {"-l", "error"}, {"-l", "selftest"}};

// Answers every update step for `device` with `text`.
void answerAll(FakeSmartctl& fake, const std::string& device, const std::string& text) {
  for (const auto& step : kSteps) {
    std::vector<std::string> args{step[0]};
    if (step[1]) args.push_back(step[1]);
    args.push_back(device);
    fake.answer(args, text);
  }
}

std::string passed() {
  return testing_support::banner() +
         "=== START OF READ SMART DATA SECTION ===\nSMART overall-health self-assessment test result: PASSED\n";
}

std::string openFailure(const std::string& device) {
  return testing_support::banner() + "Smartctl open device: " + device + " failed: No such device\n";
}

}  // namespace

TEST_F(ScannerTest, UpdateDropsUnsupportedDrivesUnlessAskedToShowThem) {
  FakeSmartctl fake(scratch.path());
  answerAll(fake, "/dev/disk0", passed());
  answerAll(fake, "/dev/disk1", openFailure("/dev/disk1"));
  answerAll(fake, "/dev/disk2", passed());
  for (bool show : {false, true}) {
    mem.platform.preferences->setBool("ShowUnsupportedDrives", show);
    KRSMARTScanner scanner;
    scanner.setNamingProfile(listings(discovery::macOSNaming(), "disk0\ndisk1\ndisk2\n", kNoMounts));
    ASSERT_TRUE(scanner.scanForDrives());
    for (auto& d : scanner.getDrives()) d.setBundlePath(fake.bundlePath());
    std::vector<std::string> seen;
    scanner.setUpdateHooks({[&](const KRSMARTDrive& d, size_t i, size_t n) {
                              seen.push_back(d.driveLocationID() + " " + std::to_string(i) + "/" + std::to_string(n));
                            },
                            nullptr});
    scanner.updateDrives();
    std::vector<std::string> expected{"/dev/disk0:", "/dev/disk2:"};
    if (show) expected.insert(expected.begin() + 1, "/dev/disk1:");
    EXPECT_EQ(summary(scanner.getDrives()), expected) << "show " << show;
    // The drive after a removed one takes its index and is updated next.
    std::vector<std::string> order{"disk0 0/3", "disk1 1/3", show ? "disk2 2/3" : "disk2 1/2"};
    EXPECT_EQ(seen, order) << "show " << show;
    EXPECT_EQ(scanner.getDrives().back().driveHealth(), logs::kHealthPassed);
  }
}

TEST_F(ScannerTest, DriveRunningASelfTestIsLeftAloneWhenCommandsWouldAbortIt) {
  FakeSmartctl fake(scratch.path());
  // smartctl -c of a drive whose self-test is under way.
  const std::string capabilities =
      testing_support::banner() +
      testing_support::readFile(testing_support::sourceDir() / "tests/discovery/selftest-in-progress.txt");
  answerAll(fake, "/dev/disk0", passed());
  fake.answer({"-c", "/dev/disk0"}, capabilities);
  answerAll(fake, "/dev/disk1", passed());
  KRSMARTScanner scanner;
  scanner.setNamingProfile(listings(discovery::macOSNaming(), "disk0\ndisk1\n", kNoMounts));
  ASSERT_TRUE(scanner.scanForDrives());
  for (auto& d : scanner.getDrives()) d.setBundlePath(fake.bundlePath());
  scanner.updateDrives();
  ASSERT_TRUE(scanner.getDrives()[0].driveAbortOfflineCollection());
  ASSERT_TRUE(scanner.getDrives()[0].driveSelfTestExecutionInProgress());
  const size_t callsAfterFirst = fake.calls().size();
  scanner.updateDrives();
  size_t disk0Calls = 0;
  auto calls = fake.calls();
  for (size_t i = callsAfterFirst; i < calls.size(); ++i)
    if (calls[i].find("/dev/disk0") != std::string::npos) ++disk0Calls;
  EXPECT_EQ(disk0Calls, 0u);
  EXPECT_GT(calls.size(), callsAfterFirst);  // disk1 was still updated
  EXPECT_EQ(scanner.getDrives().size(), 2u);
}

// df waits for every mount; one on a network that no longer answers must
// not stall the scan for good: the listing gets the time of a smartctl run.
TEST_F(ScannerTest, ListingThatHangsFailsTheScanInBoundedTime) {
  mem.platform.preferences->setObject("SmartctlTimeout", platform::PlistValue(1.0));
  discovery::NamingProfile p = listings(discovery::macOSNaming(), "disk0\n", kNoMounts);
  const auto pids = scratch.path() / "df.pids";
  p.dfPath = program("hung-df", "sleep 3600 & echo $! > '" + pids.string() + "'; wait");
  KRSMARTScanner scanner = KRSMARTScanner::initForCommandLine();
  scanner.setNamingProfile(p);
  EXPECT_FALSE(scanner.scanForDrives());
  EXPECT_EQ(summary(scanner.getDrives()), std::vector<std::string>{"/dev/disk0:"});
  EXPECT_TRUE(mem.log->contains("df returned error code: -9"));
  for (pid_t pid : testing_support::pidsInFile(pids)) EXPECT_TRUE(testing_support::processEnded(pid));
}
