// Where the command line runs smartctl itself instead of the bundle's gate:
// a replay opens no disk and root needs no capabilities handed on, so there
// the gate would only cost a program start per run. Free options (code 13)
// always go through the gate, whose rules hold for root too.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace engine {

struct DirectSmartctl {
  std::string path;                      // the smartctl the gate runs
  std::vector<std::string> environment;  // the environment the gate gives it
  bool devices = false;                  // disks too (root), not only replays
};

// For this process; set before any drive is updated. Nothing: every run
// goes through the bundle's smartctl.
void setDirectSmartctl(std::optional<DirectSmartctl> direct);
const std::optional<DirectSmartctl>& directSmartctl();

}  // namespace engine
