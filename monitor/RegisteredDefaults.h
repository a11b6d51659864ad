// The preference defaults the monitor registers at start-up: the lowest
// layer under the own domain and the main application's domain.
#pragma once

#include "platform/PlistValue.h"

namespace monitor {

// Booleans as the text "YES"/"NO", numbers as integers, the mail port as
// the text "25", "EmailHostName" as this computer's host name.
platform::PlistValue::Dict registeredDefaults();

// The computer's host name, or "localhost" when it cannot be had.
std::string currentHostName();

}  // namespace monitor
