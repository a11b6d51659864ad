// Runs one program as a child process (no shell), with standard output and
// standard error in one pipe, and hands back what it printed as output
// lines or writes it whole into a file. One instance serves one run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "logs/OutputLines.h"

class KRTask {
 public:
  // Runs `path` with `arguments`. Returns the output lines, or nothing when
  // the output was not valid UTF-8, the child ended by a signal (see
  // getErrorCode) or raw-data mode is on. Throws platform::Exception when
  // the child cannot be started, and a range failure in line mode when the
  // output holds no line feed at all.
  std::optional<logs::OutputLines> parseCommandLine(const std::string& path,
                                              const std::optional<std::vector<std::string>>& arguments);

  void setRawDataPath(const std::string& path) { rawDataPath_ = path; }
  void setReadFromFilePath(const std::string& path) { filePath_ = path; }
  int32_t getErrorCode() const { return errorCode_; }

  // A run longer than this is killed, logged, and counts as ended by
  // SIGKILL, so one hung drive cannot stall the others.
  void setTimeLimit(double seconds) { timeLimit_ = seconds; }
  static void setDefaultTimeLimit(double seconds);
  static double defaultTimeLimit();

  // The line rules every parser relies on: line 0 as is, later lines
  // without leading TAB/LF/CR and without empty ones, an unterminated last
  // line dropped. Throws a range failure when `output` has no line feed.
  static logs::OutputLines splitLines(const std::string& output);

 private:
  int32_t errorCode_ = 0;
  std::optional<std::string> rawDataPath_;
  std::optional<std::string> filePath_;
  double timeLimit_ = defaultTimeLimit();
};
