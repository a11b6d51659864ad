// Writing planned commands as the text "smartctl -r ataioctl,2" prints,
// which smartctl reads back when its device name is "-".
#pragma once

#include "drive.h"
#include "plan.h"

#include <string>
#include <string_view>
#include <vector>

namespace fakedrive {

// smartctl keeps at most this many commands of a trace...
inline constexpr std::size_t max_trace_commands = 32;
// ...and reads at most this much of it.
inline constexpr std::size_t max_trace_bytes = 64 * 1024 - 1;

// Throws std::length_error when the trace would exceed either limit.
std::string write_trace(const Drive& drive, const Mode& mode, const std::vector<PlannedCommand>& commands,
                        std::string_view source_name);

} // namespace fakedrive
