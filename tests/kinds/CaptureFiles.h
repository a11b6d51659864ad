// The real smartctl answers of tests/data/smartctl, read as the drive record
// gets them: through the command runner's line splitting, or as printed.
#pragma once

#include <string>
#include <vector>

#include "engine/KRTask.h"
#include "tests/support/TestPlatform.h"

namespace kinds_test {

inline std::string capture(const std::string& relative) {
  return testing_support::readFile(testing_support::sourceDir() / "tests/data/smartctl" / relative);
}

// As the command runner hands lines to the parsers (empty lines dropped).
inline std::vector<std::string> runnerLines(const std::string& relative) {
  return KRTask::splitLines(capture(relative));
}

// As smartctl prints them, every line kept (CR of CR LF included).
inline std::vector<std::string> printedLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace kinds_test
