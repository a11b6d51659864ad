#include "engine/TimeLimit.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "platform/Format.h"
#include "platform/Platform.h"
#include "platform/PreferenceKeys.h"

namespace engine {

namespace {
std::atomic<double> gOverride{0};
// The last unusable value logged, so a bad preference is named once, not at every run.
std::atomic<double> gReported{0};
}  // namespace

double guardedSmartctlTimeout(double seconds) {
  if (!std::isfinite(seconds) || seconds <= 0) return kDefaultSmartctlTimeout;
  return std::clamp(seconds, 1.0, 1e6);
}

void overrideSmartctlTimeLimit(double seconds) { gOverride = seconds; }

double smartctlTimeLimit() {
  if (double o = gOverride; o > 0) return o;
  const double asked = platform::prefs().doubleForKey(platform::keys::kSmartctlTimeout);
  const double limit = guardedSmartctlTimeout(asked);
  if (limit != asked && gReported.exchange(asked) != asked)
    platform::log(platform::format("SmartctlTimeout %@ is not usable; smartctl gets %@ seconds.", asked, limit));
  return limit;
}

}  // namespace engine
