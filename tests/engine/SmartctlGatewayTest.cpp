#include <filesystem>

#include "platform/Exception.h"
#include "tests/CaseFile.h"
#include "tests/support/DriveFixture.h"

using testing_support::Args;
using testing_support::banner;
using testing_support::DriveTest;
using testing_support::ScratchDir;

namespace fs = std::filesystem;

namespace {

const Args kHealthArgs{"-H", "/dev/sda"};
const Args kPermissiveHealthArgs{"-T", "verypermissive", "-H", "/dev/sda"};

}  // namespace

class Gateway : public DriveTest {
 protected:
  std::optional<logs::OutputLines> run(uint64_t code) {
    drive.setArgumentCode(code);
    return drive.runSMARTbinary(false);
  }
  // An ambiguous answer whose permissive retry fails leaves the drive on
  // the very-permissive command lines.
  void leaveVeryPermissiveOn() {
    answer(kHealthArgs,
           "SMART support is: Ambiguous - ATA IDENTIFY DEVICE words 82-83 don't show if SMART supported.\n");
    fake.answer(kPermissiveHealthArgs, "one line\n");
    run(KRSMARTDrive::kArgHealth);
    ASSERT_TRUE(drive.getRunVeryPermissive());
  }
};

TEST_F(Gateway, ArgumentTable) {
  const auto rows = testing_support::readCases("engine/arguments.txt", "code");
  for (const auto& r : rows) {
    drive.setArgumentCode(std::stoull(r[0]));
    EXPECT_EQ(drive.smartctlArguments(), testing_support::split(r[1], " ")) << r.line;
  }
  leaveVeryPermissiveOn();
  for (const auto& r : rows) {
    drive.setArgumentCode(std::stoull(r[0]));
    EXPECT_EQ(drive.smartctlArguments(), testing_support::split(r[2], " ")) << r.line;
  }
}

TEST_F(Gateway, ReplayedDriveUsesDashAndFeedsTheFileOnStdin) {
  // A smartctl that echoes each argument and its standard input.
  fs::path echo = scratch.write("Echo.app/Contents/MacOS/smartctl",
                                "#!/bin/sh\nprintf 'smartctl 7.3\\nCopyright\\n'\n"
                                "for a in \"$@\"; do printf 'ARG[%s]\\n' \"$a\"; done\n"
                                "printf 'STDIN['; cat; printf ']\\n'\n",
                                true);
  fs::path trace = scratch.write("my disk.trdr", "trace data");
  KRSMARTDrive replay;
  replay.setBundlePath((scratch.path() / "Echo.app").string());
  replay.setDriveAsFile(true);
  replay.setLocation(trace.string());
  replay.setArgumentCode(KRSMARTDrive::kArgErrorLog);
  auto lines = replay.runSMARTbinary(false);
  ASSERT_TRUE(lines);
  EXPECT_EQ(logs::OutputLines(lines->begin() + 2, lines->end()),
            (logs::OutputLines{"ARG[-l]", "ARG[error]", "ARG[-]", "STDIN[trace data]"}));

  // A real drive reads nothing on stdin, and its path is one argument.
  KRSMARTDrive real;
  real.setBundlePath((scratch.path() / "Echo.app").string());
  real.setLocation("/dev/odd name");
  real.setArgumentCode(KRSMARTDrive::kArgHealth);
  lines = real.runSMARTbinary(false);
  ASSERT_TRUE(lines);
  EXPECT_EQ(logs::OutputLines(lines->begin() + 2, lines->end()),
            (logs::OutputLines{"ARG[-H]", "ARG[/dev/odd name]", "STDIN[]"}));
}

TEST_F(Gateway, JudgesFailuresInTheText) {
  for (const auto& c : testing_support::readCases("engine/arguments.txt", "answer")) {
    KRSMARTDrive d;
    d.setLocation("/dev/sda");
    d.setBundlePath(fake.bundlePath());
    fake.answer(kHealthArgs, c[1] == "-" ? "smartctl 7.3\nCopyright\n\n\n" : banner() + c[1]);
    d.setArgumentCode(KRSMARTDrive::kArgHealth);
    auto lines = d.runSMARTbinary(false);
    EXPECT_EQ(lines.has_value(), c[2] == "yes") << c.line;
    EXPECT_EQ(d.smartSupported(), c[2] == "yes") << c.line;
    EXPECT_EQ(d.getLastSMARTErrorMessage(), testing_support::orNone(c[3])) << c.line;
  }
}

TEST_F(Gateway, RunnerReturningNothingLogsTheErrorCode) {
  fake.answer(kHealthArgs, "\xff\xfe not text\n");
  answer({"-i", "/dev/sda"}, "x: y\n");
  run(KRSMARTDrive::kArgIdentity);
  ASSERT_TRUE(drive.smartSupported());
  EXPECT_FALSE(run(KRSMARTDrive::kArgHealth));
  EXPECT_FALSE(drive.smartSupported());
  EXPECT_TRUE(mem.log->contains("smartctl returned error code: 0"));
  EXPECT_FALSE(drive.getLastSMARTErrorMessage());
}

TEST_F(Gateway, SuccessKeepsTheLastErrorText) {
  answer(kHealthArgs, "Smartctl open device: /dev/sda failed: busy\n");
  run(KRSMARTDrive::kArgHealth);
  answer(kHealthArgs, "fine\nresult: PASSED\n");
  ASSERT_TRUE(run(KRSMARTDrive::kArgHealth));
  EXPECT_TRUE(drive.smartSupported());
  EXPECT_EQ(drive.getLastSMARTErrorMessage(), "Smartctl open device: /dev/sda failed: busy");
}

TEST_F(Gateway, AmbiguousSupportRetriesOnceVeryPermissive) {
  answer(kHealthArgs, "SMART support is: Ambiguous - ATA IDENTIFY DEVICE words 82-83 don't show if SMART supported.\n");
  // The retry's own ambiguous line is accepted.
  answer(kPermissiveHealthArgs, "SMART support is: Ambiguous\nresult: PASSED\n");
  auto lines = run(KRSMARTDrive::kArgHealth);
  ASSERT_TRUE(lines);
  EXPECT_EQ(lines->back(), "result: PASSED");
  EXPECT_EQ(fake.calls(), (std::vector<std::string>{"-H /dev/sda", "-T verypermissive -H /dev/sda"}));
  EXPECT_FALSE(drive.getRunVeryPermissive());
  EXPECT_TRUE(drive.smartSupported());
}

TEST_F(Gateway, FailedRetryKeepsVeryPermissiveOn) {
  leaveVeryPermissiveOn();
  const std::string message =
      "smartctl returned error message: SMART support is ambiguous but SMART cannot be enabled.";
  EXPECT_TRUE(mem.log->contains(message));
  EXPECT_EQ(drive.getLastSMARTErrorMessage(), message);
  EXPECT_FALSE(drive.smartSupported());

  // Every later call builds the permissive line; an open failure ends that.
  answer(kPermissiveHealthArgs, "Smartctl open device: /dev/sda failed: gone\n");
  EXPECT_FALSE(run(KRSMARTDrive::kArgHealth));
  EXPECT_FALSE(drive.getRunVeryPermissive());
  EXPECT_EQ(fake.calls().back(), "-T verypermissive -H /dev/sda");
}

TEST_F(Gateway, SmartctlLocation) {
  // Bundle path given: its Contents/MacOS, whether or not the file is there.
  KRSMARTDrive d;
  d.setBundlePath("/nowhere/X.app");
  EXPECT_EQ(d.getsmartctlPath(), "/nowhere/X.app/Contents/MacOS/smartctl");
  // Command-line mode: beside the running program.
  KRSMARTDrive cli = KRSMARTDrive::initForCommandLine();
  cli.setBundlePath("/nowhere/X.app");
  EXPECT_EQ(cli.getsmartctlPath(), mem.platform.bundle.executableFolder + "/smartctl");
  // Neither: the own bundle's program, nothing when it is missing.
  EXPECT_FALSE(KRSMARTDrive().getsmartctlPath());
  scratch.write("Tarvel Menu Item.app/Contents/MacOS/smartctl", "#!/bin/sh\n", true);
  EXPECT_EQ(KRSMARTDrive().getsmartctlPath(), mem.platform.bundle.bundlePath + "/Contents/MacOS/smartctl");
}

TEST_F(Gateway, MissingSmartctlChangesNothing) {
  KRSMARTDrive d;
  d.setLocation("/dev/sda");
  d.setArgumentCode(KRSMARTDrive::kArgHealth);
  EXPECT_FALSE(d.runSMARTbinary(false));
  EXPECT_TRUE(mem.log->contains("Could not locate smartctl binary. Please reinstall application."));
  EXPECT_TRUE(mem.alerts->shown.empty());
  EXPECT_FALSE(d.getLastSMARTErrorMessage());
}

TEST_F(Gateway, ChildThatCannotStartAlertsOnlyOutsideCommandLineMode) {
  answer(kHealthArgs, "fine\nresult: PASSED\n");
  ASSERT_TRUE(run(KRSMARTDrive::kArgHealth));
  drive.setBundlePath((scratch.path() / "Empty.app").string());
  EXPECT_FALSE(run(KRSMARTDrive::kArgHealth));
  EXPECT_TRUE(mem.log->contains("Exception occured in runSMARTBinary- LaunchException: "));
  ASSERT_EQ(mem.alerts->shown.size(), 1u);
  EXPECT_EQ(mem.alerts->shown[0].message, "An Error Occurred");
  EXPECT_EQ(mem.alerts->shown[0].informative,
            std::string("An error occurred attempting to scan for SMART data. Tarvel may work incorrectly. "
                        "Please contact ") +
                platform::supportContact() + " for help.");
  EXPECT_EQ(mem.alerts->shown[0].button, "OK");
  EXPECT_TRUE(drive.smartSupported());  // a run that did not start judges nothing

  KRSMARTDrive cli = KRSMARTDrive::initForCommandLine();  // no smartctl beside the test program
  cli.setArgumentCode(KRSMARTDrive::kArgHealth);
  EXPECT_FALSE(cli.runSMARTbinary(false));
  EXPECT_EQ(mem.alerts->shown.size(), 1u);
}

TEST_F(Gateway, OutputWithoutLineFeedIsAFailedRun) {
  fake.answer(kHealthArgs, "");
  EXPECT_FALSE(run(KRSMARTDrive::kArgHealth));
  EXPECT_TRUE(mem.log->contains("Exception occured in runSMARTBinary- RangeException: "));
  EXPECT_EQ(mem.alerts->shown.size(), 1u);
}

TEST_F(Gateway, Version) {
  struct Case {
    std::string banner, version;
  } cases[] = {
      {"smartctl version 5.38 [i386-apple-darwin] Copyright (C) 2002-8 Bruce Allen\n", "5.38"},
      {"smartctl 5.41 2011-06-09 r3365 [x86_64-apple-darwin10.8.0] (local build)\n", "5.41"},
      {"smartctl 7.3 2022-02-28 r5338 [x86_64-linux-6.1.0] (local build)\n", "7.3"},
      {"something else entirely\n", "unknown"},
  };
  for (const auto& c : cases) {
    fake.answer({"-V"}, c.banner + "Copyright\n\nsmartmontools release 7.3\n");
    EXPECT_EQ(drive.smartctlVersion(), c.version) << c.banner;
  }
  fake.answer({"-V"}, "smartctl 5.4\nCopyright\n\nmore\n");
  EXPECT_THROW(drive.smartctlVersion(), platform::Exception);
  fake.answer({"-V"}, "two\nlines\n");
  EXPECT_EQ(drive.smartctlVersion(), "unknown");
  EXPECT_EQ(fake.calls().back(), "-V");
}

TEST_F(Gateway, RunOptionsAppendsTheDeviceAndLogsTheAnswer) {
  answer({"-a", "-d", "sat", "/dev/sda"}, "OPTIONS ANSWER\n");
  drive.runOptions("  -a \t -d   sat ");
  EXPECT_EQ(fake.calls(), (std::vector<std::string>{"-a -d sat /dev/sda"}));
  EXPECT_TRUE(mem.log->contains("OPTIONS ANSWER"));
}

TEST_F(Gateway, RawDataGoesToTheLogsFolder) {
  fs::create_directories(mem.platform.bundle.logsFolder);
  fake.answer({"-r", "ataioctl,2", "-a", "/dev/sda"}, "RAW\ntrace\n");
  drive.saveRawData();
  EXPECT_EQ(testing_support::readFile(mem.platform.bundle.logsFolder + "/sda.trdr"), "RAW\ntrace\n");
  EXPECT_EQ(drive.getArgumentCode(), KRSMARTDrive::kArgRawData);

  // A missing logs folder is not reported; a missing smartctl is only logged.
  fs::remove_all(mem.platform.bundle.logsFolder);
  drive.saveRawData();
  EXPECT_FALSE(fs::exists(mem.platform.bundle.logsFolder));
  drive.setBundlePath((scratch.path() / "Empty.app").string());
  drive.saveRawData();
  EXPECT_TRUE(mem.log->contains("Exception occured in runSMARTBinary->saveRawData- LaunchException: "));
  EXPECT_TRUE(mem.alerts->shown.empty());
}
