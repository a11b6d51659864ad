// Programs a test starts: run to the end with their output captured, or
// kept running beside the test. Every wait is bounded, and every child is
// reaped.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

namespace fs = std::filesystem;

// `env` entries are added to (or replace those of) this process's
// environment; an empty value removes one.
using Environment = std::map<std::string, std::string>;

struct ProcessResult {
  int status = -1;  // exit status, or 128 + signal (a program killed for taking too long: 128 + SIGKILL)
  std::string out;
  std::string err;
};

// `argv[0]` is the program path; standard input comes from `input`.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input = "",
                         const Environment& env = {}, int limitSeconds = 60);

// A program running beside the test, its standard output and error in
// `log` (and fd 3 in `fd3`, when given), its standard input from `input`;
// ended at destruction.
class Child {
 public:
  Child(const std::vector<std::string>& argv, const Environment& env, fs::path log,
        std::optional<fs::path> fd3 = std::nullopt, const fs::path& input = "/dev/null");
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }
  bool running();
  // The exit status once it ended by itself (128 + signal when killed).
  std::optional<int> exitStatus();
  // SIGTERM, then SIGKILL when it does not end within five seconds.
  void stop();
  std::string output() const;
  // The first line the program writes to `file` (its address or number once
  // it takes connections); empty when none comes within `limitMs` or the
  // program ends first.
  std::string firstLine(const fs::path& file, int limitMs = 20000);

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
  fs::path log_;
};

// The NUL-separated words of a file (an argument list a stand-in program recorded).
std::vector<std::string> nulSeparated(const fs::path& file);

}  // namespace testing_support
