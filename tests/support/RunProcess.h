// Runs a program to the end for a test: standard input from a text, and
// its standard output and error and exit status captured.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct ProcessResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

// `argv[0]` is the program path. `env` entries are added to (or replace
// those of) this process's environment; an empty value removes one.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input = "",
                         const std::map<std::string, std::string>& env = {});

}  // namespace testing_support
