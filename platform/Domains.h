// The two preference domains: the monitor's own (its bundle identifier,
// also the name of the notification it posts when it goes away) and the
// main application's, which the monitor reads as a suite.
#pragma once

namespace platform {

inline constexpr const char* kMenuItemDomain = "org.tarvel.TarvelMenuItem";
inline constexpr const char* kMainAppDomain = "org.tarvel.Tarvel";

}  // namespace platform
