// Which ATA commands smartctl 7.3 sends for one of its options, so that a
// trace holds exactly those and replays without "out of sync" or "not
// replayed" warnings.
#pragma once

#include "drive.h"

#include <optional>
#include <string_view>
#include <vector>

namespace fakedrive {

// The entries of smartctl's SMART command set that a trace can hold.
enum class AtaCommand {
    identify,
    read_values,
    read_thresholds,
    read_log,
    enable,
    disable,
    status_check,
    immediate_offline,
};

struct PlannedCommand {
    AtaCommand command;
    unsigned parameter = 0; // log address or offline subcommand
};

struct Mode {
    std::string_view name;
    std::string_view smartctl_options; // what to replay the trace with
    std::string_view summary;
};

// The modes, the default one ("a") first.
const std::vector<Mode>& modes();
std::optional<Mode> find_mode(std::string_view name);

std::vector<PlannedCommand> plan_commands(const Drive& drive, const Mode& mode);

} // namespace fakedrive
