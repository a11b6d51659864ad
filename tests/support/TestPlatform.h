// Test fixtures: a fresh in-memory platform per test, a scratch folder, and
// a stand-in smartctl that answers prepared texts and records its calls.
#pragma once

#include <gtest/gtest.h>

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/memory/MemoryPlatform.h"

namespace testing_support {

// A folder under the system's temporary folder, removed at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path write(const std::string& name, const std::string& contents, bool executable = false) const;

 private:
  std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& p);

// Sets environment variables for one test (an empty value unsets one) and
// puts the old values back at the end.
class EnvironmentScope {
 public:
  explicit EnvironmentScope(const std::map<std::string, std::string>& values);
  ~EnvironmentScope();
  EnvironmentScope(const EnvironmentScope&) = delete;
  EnvironmentScope& operator=(const EnvironmentScope&) = delete;

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

// Installs a new in-memory platform whose bundle lies in a scratch folder.
class PlatformTest : public ::testing::Test {
 protected:
  PlatformTest();
  ScratchDir scratch;
  platform::memory::MemoryPlatform mem;
};

// A bundle ".../Fake.app" whose Contents/MacOS/smartctl is a shell script:
// it appends its arguments (one call per line, joined by blanks) to
// calls.log and prints the answer prepared for exactly those arguments,
// else the default answer, and exits with the prepared status. Its disks
// are awake: "-n standby" is left out of calls.log and of the answer it
// picks, unless an answer is prepared with it.
class FakeSmartctl {
 public:
  explicit FakeSmartctl(const std::filesystem::path& root);
  void answer(const std::vector<std::string>& args, const std::string& text, int exitStatus = 0);
  void defaultAnswer(const std::string& text);
  // For exactly these arguments it answers nothing: it starts a child that
  // sleeps for an hour, records both process ids and waits, as a smartctl
  // (behind the gate) stuck on a dying disk does.
  void hang(const std::vector<std::string>& args);
  // The processes of the hung calls so far: script and sleeping child.
  std::vector<pid_t> hungProcesses() const;
  std::string bundlePath() const { return bundle_.string(); }
  std::vector<std::string> calls() const;

 private:
  std::filesystem::path bundle_;
};

// Whether the process has ended (gone, or a zombie), waiting up to
// `limitMs` for it; a test that finds one alive kills it, so that no
// sleeping child outlives the test.
bool processEnded(pid_t pid, int limitMs = 10000);
// The ids listed in a file, one or more per line.
std::vector<pid_t> pidsInFile(const std::filesystem::path& file);

// The smartctl banner lines every answer starts with.
std::string banner();

// Where the project's own test data and built tools lie.
std::filesystem::path sourceDir();
std::filesystem::path buildDir();

}  // namespace testing_support
