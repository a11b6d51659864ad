// The command line of `tarvel`: what to check, how to print it, and the
// drive commands.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/KRTask.h"

namespace cli {

enum class DriveCommand { None, SaveRawData, ShortTest, ExtendedTest, AbortTest, SmartctlVersion, SmartctlOptions };

struct Options {
  std::vector<std::string> devices;  // device paths to check instead of scanning
  std::vector<std::string> replays;  // raw-data files to check instead of scanning
  bool report = false;
  bool info = false;  // what was read of each drive, under its state line
  bool json = false;
  std::optional<std::string> prometheus;  // metrics file, "-" for standard output
  bool verbose = false;  // the log also on standard error
  bool debug = false;    // debug messages on
  std::optional<double> timeout;
  std::optional<size_t> jobs;  // drives checked at once (default: all, at most kDefaultJobs)
  std::optional<std::string> listingsFolder;  // ls and df of a simulated machine
  std::optional<std::string> naming;          // "macos" or "linux"
  DriveCommand command = DriveCommand::None;
  std::string smartctlOptions;
  bool help = false;
  bool version = false;
};

inline constexpr size_t kDefaultJobs = 8;
// Each job runs one smartctl at a time, and Ctrl-C must reach them all.
inline constexpr size_t kMaxJobs = KRTask::kMaxRunning;

struct ParsedOptions {
  std::optional<Options> options;
  std::string error;  // why the arguments were refused
};

// `args` without the program name. An argument that is not an option is a
// raw-data file when it names a regular file, else a device path under /dev.
ParsedOptions parseOptions(const std::vector<std::string>& args);

std::string usage();

}  // namespace cli
