// The check as Prometheus metrics in node_exporter's textfile format: per
// drive its state and counters, per run when it ended, how long it took and
// whether it could check at all. Each drive metric is one row of a table in
// PrometheusMetrics.cpp.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/KRSMARTDrive.h"

namespace cli {

struct CheckRun {
  double endedAt = 0;   // Unix time in seconds
  double duration = 0;  // seconds
  bool success = false; // smartctl ran and the drives could be listed
};

// The exposition text: HELP and TYPE before each metric's samples, a drive's
// sample left out when the drive has no such value.
std::string prometheusText(const std::vector<KRSMARTDrive>& drives, const CheckRun& run);

// Writes `text` to `path` so that a reader sees the old file or the new one,
// never a part: a temporary file in the same folder, renamed over it. "-" is
// standard output. Returns why it failed, or nothing.
std::optional<std::string> writeMetrics(const std::string& path, const std::string& text, std::ostream& out);

}  // namespace cli
