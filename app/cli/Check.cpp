#include "app/cli/Check.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/cli/DriveJson.h"
#include "app/cli/DriveStatus.h"
#include "app/cli/Progress.h"
#include "app/cli/PrometheusMetrics.h"
#include "app/cli/SmartctlSetup.h"
#include "app/cli/TextOutput.h"
#include "discovery/KRSMARTScanner.h"
#include "discovery/ParallelUpdate.h"
#include "platform/Format.h"
#include "platform/Platform.h"
#include "platform/PreferenceKeys.h"

using platform::format;

namespace cli {

namespace {

struct Findings {
  std::vector<std::string> messages;
  bool couldNotCheck = false;
  std::vector<std::string> privilegeFailures;  // "device: smartctl's text"
  size_t started = 0;

  void problem(std::string message) {
    messages.push_back(std::move(message));
    couldNotCheck = true;
  }
};

std::optional<std::string> unreadable(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return path + ": is a folder, not a raw-data file";
  std::ifstream in(path, std::ios::binary);
  if (!in) return "cannot read " + path + ": " + std::strerror(errno);
  return std::nullopt;
}

// The drives named on the command line, in the order given.
std::vector<KRSMARTDrive> namedDrives(const Options& options, Findings& findings) {
  const bool debug = platform::prefs().boolForKey(platform::keys::kOutputDebugMessages);
  std::vector<KRSMARTDrive> drives;
  auto add = [&](const std::string& location, bool fromFile) {
    KRSMARTDrive d = KRSMARTDrive::initForCommandLine();
    d.setLocation(location);
    d.setDriveAsFile(fromFile);
    d.setDebugState(debug);
    drives.push_back(std::move(d));
  };
  for (const auto& device : options.devices) add(device, false);
  for (const auto& file : options.replays) {
    if (auto why = unreadable(file)) findings.problem(*why);
    else add(file, true);
  }
  return drives;
}

size_t jobsFor(const Options& options, size_t drives) {
  // A log copied to the terminal is read drive by drive: drives checked at
  // once would mix their lines.
  if (!options.jobs && (options.verbose || options.debug)) return 1;
  return options.jobs.value_or(std::max<size_t>(1, std::min(drives, kDefaultJobs)));
}

void noteUpdate(const KRSMARTDrive& drive, Findings& findings) {
  if (drive.smartSupported()) return;
  auto error = drive.getLastSMARTErrorMessage();
  if (error && reportsMissingPrivileges(*error))
    findings.privilegeFailures.push_back(drive.driveLocation().value_or("?") + ": " + *error);
}

}  // namespace

int runCheck(const Options& options, const discovery::NamingProfile& naming, std::ostream& out, std::ostream& err) {
  const auto started = std::chrono::steady_clock::now();
  Findings findings;
  auto scanner = KRSMARTScanner::initForCommandLine();
  scanner.setNamingProfile(naming);
  std::vector<KRSMARTDrive> named;
  const bool scanning = options.devices.empty() && options.replays.empty();
  std::vector<KRSMARTDrive>& drives = scanning ? scanner.getDrives() : named;

  if (auto problem = smartctlProblem()) {
    findings.problem(*problem);
  } else {
    ProgressLine progress(!options.verbose);
    size_t total = 0;
    auto willUpdate = [&](const KRSMARTDrive& d) {
      ++findings.started;
      progress.show(format("Checking %@ (%lu of %lu)...", d.driveLocation().value_or("?"), findings.started, total));
    };
    if (scanning) {
      if (!scanner.scanForDrives())
        findings.problem(options.verbose ? "could not list the drives (see the messages above)"
                                         : "could not list the drives; run with --verbose to see why");
      total = drives.size();
      scanner.setUpdateHooks({[&](const KRSMARTDrive& d, size_t, size_t) { willUpdate(d); },
                              [&](const KRSMARTDrive& d) { noteUpdate(d, findings); }});
      scanner.updateDrives(jobsFor(options, drives.size()));
    } else {
      named = namedDrives(options, findings);
      total = named.size();
      auto updated = [&](KRSMARTDrive& d) {
        if (platform::prefs().boolForKey(platform::keys::kOutputDebugMessages)) platform::log(format("%@", d.description()));
        noteUpdate(d, findings);
      };
      const size_t jobs = jobsFor(options, named.size());
      if (jobs == 1) {
        for (KRSMARTDrive& d : named) {
          willUpdate(d);
          d.updateInfo();
          updated(d);
        }
      } else {
        std::vector<KRSMARTDrive*> work;
        for (KRSMARTDrive& d : named) work.push_back(&d);
        discovery::updateInParallel(work, jobs, [&](size_t i) { willUpdate(named[i]); },
                                    [&](size_t i) { updated(named[i]); });
      }
    }
    progress.clear();

    if (drives.empty() && !findings.couldNotCheck) {
      const size_t left = findings.started;
      if (left > 0)
        findings.problem(format("no drive with SMART support found; %lu drive%@ without it left out (set "
                                "ShowUnsupportedDrives to list them)", left, left == 1 ? "" : "s"));
      else
        findings.problem("no drive found");
    }
    if (!findings.privilegeFailures.empty()) {
      std::string text = "smartctl was not allowed to open the drive:";
      for (const auto& f : findings.privilegeFailures) text += "\n  " + f;
      findings.messages.push_back(text + "\n" + privilegeHint());
    }
  }

  CheckOutcome outcome;
  outcome.couldNotCheck = findings.couldNotCheck;
  for (const KRSMARTDrive& d : drives) outcome.states.push_back(driveState(d));
  const int status = exitStatus(outcome);

  for (const auto& m : findings.messages) err << "tarvel: " << m << "\n";
  if (options.json) writeCheckDocument(out, drives, findings.messages, status);
  else if (options.prometheus != "-")
    printDrives(out, drives, options.report, options.info || !options.devices.empty() || !options.replays.empty());
  if (options.prometheus) {
    const CheckRun run{std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count(),
                       std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                       !findings.couldNotCheck};
    if (auto why = writeMetrics(*options.prometheus, prometheusText(drives, run), out)) {
      err << "tarvel: " << *why << "\n";
      return 3;
    }
  }
  return status;
}

}  // namespace cli
