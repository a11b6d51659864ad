// How long one smartctl run, and each listing of a scan, may take before it
// is stopped: the command line's --timeout when given, else the preference
// "SmartctlTimeout" (seconds), read afresh at every run.
#pragma once

namespace engine {

inline constexpr double kDefaultSmartctlTimeout = 120;

double smartctlTimeLimit();
// For this process, in place of the preference (tarvel --timeout).
void overrideSmartctlTimeLimit(double seconds);

// A "SmartctlTimeout" value as a usable limit: the default for values that
// are not a positive number, at least a second, at most about eleven days.
double guardedSmartctlTimeout(double seconds);

}  // namespace engine
