// SMART log sectors: directory (0x00), summary error log (0x01),
// self-test log (0x06), selective self-test log (0x09), SCT status (0xe0).
#pragma once

#include "drive.h"
#include "sector.h"

namespace fakedrive {

inline constexpr std::size_t max_logged_errors = 5;
inline constexpr std::size_t max_commands_per_error = 5;
inline constexpr std::size_t max_self_tests = 21;

Sector build_log_directory(const Drive& drive);
Sector build_error_log(const Drive& drive);
Sector build_self_test_log(const Drive& drive);
Sector build_selective_log(const Drive& drive);
Sector build_sct_status(const Drive& drive);

} // namespace fakedrive
