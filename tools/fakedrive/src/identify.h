// The IDENTIFY DEVICE data block of a simulated drive.
#pragma once

#include "drive.h"
#include "sector.h"

namespace fakedrive {

Sector build_identify(const Drive& drive);

} // namespace fakedrive
