// Where the command line runs smartctl itself instead of the bundle's gate:
// a replay opens no disk and root needs no capabilities handed on, so there
// the gate would only cost a program start per run. The gate's rules still
// hold: each line is vetted by them first, and one they refuse, like free
// options (code 13), goes through the gate, which says why.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace engine {

struct DirectSmartctl {
  std::string path;                      // the smartctl the gate runs
  std::vector<std::string> environment;  // the environment the gate gives it
  bool devices = false;                  // disks too (root), not only replays
  // The arguments smartctl gets, as the gate would give them (the device
  // resolved); nothing where the gate would refuse them.
  std::function<std::optional<std::vector<std::string>>(const std::vector<std::string>&)> vet;
};

// For this process; set before any drive is updated. Nothing: every run
// goes through the bundle's smartctl.
void setDirectSmartctl(std::optional<DirectSmartctl> direct);
const std::optional<DirectSmartctl>& directSmartctl();

}  // namespace engine
