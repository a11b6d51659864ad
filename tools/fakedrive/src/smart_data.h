// SMART READ DATA and READ ATTRIBUTE THRESHOLDS blocks.
#pragma once

#include "drive.h"
#include "sector.h"

namespace fakedrive {

// At most this many attributes fit in the SMART data structure.
inline constexpr std::size_t max_attributes = 30;

Sector build_smart_values(const Drive& drive);
Sector build_smart_thresholds(const Drive& drive);

} // namespace fakedrive
