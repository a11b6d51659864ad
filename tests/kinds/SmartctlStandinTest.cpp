// The stand-in smartctl's split of a captured answer by option; the program
// itself (device types, power modes, its argument parsing) serves every
// check of the kinds machines in tests/cli/TarvelCommandTest.cpp.
#include <gtest/gtest.h>

#include "tests/CaseFile.h"
#include "tests/kinds/CaptureFiles.h"
#include "tools/standin/SmartctlStandin.h"

namespace {

using testing_support::readCases;
using testing_support::split;

standin::Answer ask(const std::string& file, std::vector<std::string> args) {
  args.push_back("/dev/x");
  std::string error;
  std::optional<standin::Request> request = standin::parseArguments(args, error);
  EXPECT_TRUE(request) << error;
  return standin::answer(kinds_test::capture(file), *request);
}

std::string withoutTrailingNewlines(std::string s) {
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

bool has(const standin::Answer& a, const std::string& text) { return a.text.find(text) != std::string::npos; }

TEST(SmartctlStandin, AllOfAnAllAnswerIsTheAnswerItself) {
  for (const char* file :
       {"nvme/smartctl-7.2-CT4000P3PSSD8-failed-spare.txt", "nvme/smartctl-7.3-960PRO-error-entries.txt",
        "nvme/smartctl-7.4-980PRO-read-selftest-failed.txt", "scsi/smartctl-6.6-HUH721212AL5204-ok.txt",
        "other/smartctl-6.6-unknown-usb-bridge-d-sat.txt"})
    EXPECT_EQ(withoutTrailingNewlines(ask(file, {"-a"}).text), withoutTrailingNewlines(kinds_test::capture(file)))
        << file;
}

TEST(SmartctlStandin, EachOptionGetsItsPartWithTheBannerAndExitStatus) {
  for (const auto& c : readCases("kinds/standin.txt", "option")) {
    const standin::Answer a = ask(c[0], split(c[1], " "));
    for (const std::string& p : split(c[2])) EXPECT_TRUE(has(a, p)) << c.line << " lacks " << p << "\n" << a.text;
    for (const std::string& p : split(c[3])) EXPECT_FALSE(has(a, p)) << c.line << " has " << p << "\n" << a.text;
    EXPECT_EQ(a.exitStatus, std::stoi(c[4])) << c.line;
  }
}

TEST(SmartctlStandin, ExitStatusBits) {
  for (const auto& c : readCases("kinds/standin.txt", "exit"))
    EXPECT_EQ(standin::exitStatusFor(split(c[0])), std::stoi(c[1])) << c.line;
}

}  // namespace
