// What tarvel and the bundle's smartctl gate (app/smartctl_gate.cpp) agree
// on: the smartctl the gate runs, with which environment, and the mark the
// gate's program file carries, so that tarvel can tell the gate from another
// program in its place (a simulated machine's smartctl).
#pragma once

#include <string>

#define TARVEL_REAL_SMARTCTL "/usr/sbin/smartctl"
#define TARVEL_GATE_MARK "tarvel-smartctl-gate runs " TARVEL_REAL_SMARTCTL

namespace cli {

inline constexpr const char* kRealSmartctl = TARVEL_REAL_SMARTCTL;
// The whole environment smartctl gets: the caller's could steer it.
inline constexpr const char* kSmartctlEnvironment[] = {"PATH=/usr/sbin:/usr/bin:/sbin:/bin", "LC_ALL=C"};

// Whether the program file at `path` is the gate (carries its mark).
bool isGate(const std::string& path);

}  // namespace cli
