// A simulated machine (tests/simulated-machine/make-machine.sh): a bundle
// whose tarvel finds its disks through prepared listings and reads them
// through a smartctl that replays traces of tarvel-fakedrive.
#pragma once

#include <string>

#include "tests/support/RunProcess.h"

namespace testing_support {

fs::path fakedriveTool();
// The smartctl that answers from captured real answers (tools/standin).
fs::path smartctlStandin();

// `drives` holds one line per disk, "DEVICE DRIVE-DESCRIPTION", "DEVICE
// !REASON" (a disk smartctl may not open), "DEVICE ?hang" (one that never
// answers) or "DEVICE CAPTURE.txt [SAT-CAPTURE.txt]" (a captured answer). The machine is run as
// MACHINE/Contents/MacOS/tarvel --listings MACHINE/listings. Empty when it
// could not be made (the reason is a test failure).
fs::path makeMachine(const fs::path& scratch, const std::string& name, const std::string& devices,
                     const std::string& mounts, const std::string& drives);
// The same from a description folder (devices, mounts, drives) as `machine`.
fs::path makeMachine(const fs::path& description, const fs::path& machine);

// The machine's tarvel with `home` as the home folder and the C locale; with
// `scan`, on the machine's listings.
ProcessResult runTarvel(const fs::path& machine, const fs::path& home, const std::vector<std::string>& args,
                        bool scan = true);

}  // namespace testing_support
