#include "discovery/KRSMARTScanner.h"

#include "discovery/ParallelUpdate.h"

#include "engine/TimeLimit.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Platform.h"
#include "platform/PreferenceKeys.h"

using platform::format;

namespace {

// Name and reason of a failure while running a listing.
std::pair<std::string, std::string> describeFailure(const std::exception& e) {
  if (auto* p = dynamic_cast<const platform::Exception*>(&e)) return {p->name(), p->reason()};
  return {"Exception", e.what()};
}

}  // namespace

KRSMARTScanner::KRSMARTScanner() : KRSMARTScanner(Mode::Monitor, std::nullopt) {}

KRSMARTScanner::KRSMARTScanner(Mode mode, const std::optional<std::string>& file) {
  drives.reserve(4);
  enableCommandLineOption = mode == Mode::CommandLine;
  if (file) {
    std::vector<KRSMARTDrive> single;
    single.reserve(1);
    KRSMARTDrive drive;
    drive.setLocation(*file);
    drive.setDriveAsFile(true);
    drive.setDebugState(platform::prefs().boolForKey(platform::keys::kOutputDebugMessages));
    single.push_back(std::move(drive));
    drives.swap(single);
  }
}

KRSMARTScanner KRSMARTScanner::initWithFile(const std::string& path) { return KRSMARTScanner(Mode::Monitor, path); }

KRSMARTScanner KRSMARTScanner::initForCommandLine() { return KRSMARTScanner(Mode::CommandLine, std::nullopt); }

void KRSMARTScanner::debug(const std::string& message) const {
  if (outputDebugMessages) platform::log(message);
}

void KRSMARTScanner::showScanErrorAlert() const {
  platform::showCriticalAlert(
      platform::localized("Main", "Exception1", "An Error Occurred"),
      platform::failureAlertText("An error occurred attempting to scan for drives. Tarvel may work incorrectly. "
                                 "Please contact %@ for help."),
      platform::localized("Main", "OK", "OK"));
}

bool KRSMARTScanner::scanForDrives() {
  outputDebugMessages = platform::prefs().boolForKey(platform::keys::kOutputDebugMessages);
  resetDrives();
  debug("Parsing drives.");
  try {
    // A listing gets the time of a smartctl run: df waits for every mount,
    // and a network mount that hangs must not stall the scan for good.
    KRTask lsTask;
    lsTask.setTimeLimit(engine::smartctlTimeLimit());
    std::optional<logs::OutputLines> devices = lsTask.parseCommandLine(naming.lsPath, naming.deviceListing);
    if (!devices) {
      platform::log(format("ls returned error code: %d", lsTask.getErrorCode()));
      return false;
    }
    for (const std::string& line : *devices)
      if (naming.isWholeDisk(line)) newDrive(line);

    debug("Parsing volumes.");
    KRTask dfTask;
    dfTask.setTimeLimit(engine::smartctlTimeLimit());
    std::optional<logs::OutputLines> mounts = dfTask.parseCommandLine(naming.dfPath, std::vector<std::string>{});
    if (!mounts) {
      platform::log(format("df returned error code: %d", dfTask.getErrorCode()));
      return false;
    }
    for (const std::string& line : *mounts)
      if (line.find(naming.mountMarker) != std::string::npos) addVolume(line);
    return true;
  } catch (const std::exception& e) {
    auto [name, reason] = describeFailure(e);
    platform::log(format("Exception occured in parseDrives->parseCommandLine(lsArray)- %@: %@", name, reason));
    if (!enableCommandLineOption) showScanErrorAlert();
    return false;
  }
}

void KRSMARTScanner::addVolume(const std::string& line) {
  debug("Adding volume:");
  debug(format("%@", line));
  std::optional<std::string> stem = naming.deviceStem(line);
  if (!stem) {
    // Cutting a device out of this line could name the wrong disk.
    debug("No whole disk in this line; volume left out.");
    return;
  }
  bool matched = false;
  for (KRSMARTDrive& drive : drives) {
    if (!drive.sameLocation(*stem)) continue;
    drive.addPartitionName(findVolumeName(line));
    matched = true;
  }
  if (!matched) newDriveWithVolume(line);
}

std::string KRSMARTScanner::findVolumeName(const std::string& line) {
  debug("Finding volume name.");
  std::optional<std::string> name = naming.volumeName(line);
  if (!name) name = findRootVolumeName();
  std::string result = name.value_or("unknown");
  debug(format("Found volume name: %@", result));
  return result;
}

std::optional<std::string> KRSMARTScanner::findRootVolumeName() {
  debug("Finding root volume name.");
  // A profile that names every volume from its df line has no root listing.
  if (!naming.rootListing) return std::nullopt;
  try {
    KRTask task;
    task.setTimeLimit(engine::smartctlTimeLimit());
    std::optional<logs::OutputLines> lines = task.parseCommandLine(naming.lsPath, *naming.rootListing);
    if (!lines) {
      platform::log(format("ls returned error code: %d", task.getErrorCode()));
      return std::nullopt;
    }
    static const std::string kArrow = "-> /";
    for (const std::string& line : *lines) {
      size_t colon = line.find(':');
      if (colon == std::string::npos || !line.ends_with(kArrow)) continue;
      // The first colon is the one of the time column; after it come the
      // minutes and a blank, then the link's name up to " -> /".
      size_t arrow = line.size() - kArrow.size();
      if (arrow < colon + 5) throw platform::rangeError("no link name between the time and the arrow");
      std::string name = line.substr(colon + 4, arrow - colon - 5);
      debug(format("Found root volume name: %@", name));
      return name;
    }
    platform::log("Error: could not find root volume name from ls");
    return std::nullopt;
  } catch (const std::exception& e) {
    auto [name, reason] = describeFailure(e);
    platform::log(format("Exception occured in findRootVolumeName->parseCommandLine- %@: %@", name, reason));
    if (!enableCommandLineOption) showScanErrorAlert();
    return std::nullopt;
  }
}

KRSMARTDrive KRSMARTScanner::makeDrive() const {
  return enableCommandLineOption ? KRSMARTDrive::initForCommandLine() : KRSMARTDrive();
}

void KRSMARTScanner::newDrive(const std::string& name) {
  debug(format("Adding new drive to array: %@.", name));
  KRSMARTDrive drive = makeDrive();
  drive.setLocation("/dev/" + name);
  drive.setDebugState(outputDebugMessages);
  drives.push_back(std::move(drive));
}

void KRSMARTScanner::newDriveWithVolume(const std::string& line) {
  debug("Adding new drive to array.");
  std::optional<std::string> stem = naming.deviceStem(line);
  if (!stem) return;
  KRSMARTDrive drive = makeDrive();
  drive.setLocation(*stem);
  drive.addPartitionName(findVolumeName(line));
  drive.setDebugState(outputDebugMessages);
  drives.push_back(std::move(drive));
}

void KRSMARTScanner::updateDrives(size_t jobs) {
  const bool showUnsupported = platform::prefs().boolForKey(platform::keys::kShowUnsupportedDrives);
  // A new command would abort the running self-test's offline collection.
  auto skipped = [](const KRSMARTDrive& d) {
    return d.driveAbortOfflineCollection() && d.driveSelfTestExecutionInProgress();
  };
  // A drive that stopped answering is no drive without SMART: it stays,
  // so that the user learns of it.
  auto dropped = [&](const KRSMARTDrive& d) { return !showUnsupported && !d.smartSupported() && !d.driveTimedOut(); };
  auto updated = [&](KRSMARTDrive& d) {
    if (outputDebugMessages) platform::log(format("%@", d.description()));
    if (updateHooks.didUpdate) updateHooks.didUpdate(d);
  };
  if (jobs <= 1) {
    size_t i = 0;
    while (i < drives.size()) {
      KRSMARTDrive& drive = drives[i];
      if (skipped(drive)) {
        ++i;
        continue;
      }
      if (updateHooks.willUpdate) updateHooks.willUpdate(drive, i, drives.size());
      drive.updateInfo();
      updated(drive);
      if (dropped(drive)) {
        drives.erase(drives.begin() + static_cast<std::ptrdiff_t>(i));
        continue;
      }
      ++i;
    }
    return;
  }

  // The hooks see the index and count the loop above would give them.
  std::vector<size_t> chosen;
  for (size_t k = 0; k < drives.size(); ++k)
    if (!skipped(drives[k])) chosen.push_back(k);
  std::vector<KRSMARTDrive*> work;
  for (size_t k : chosen) work.push_back(&drives[k]);
  std::vector<bool> drop(drives.size(), false);
  size_t position = 0, count = drives.size(), seen = 0;
  discovery::updateInParallel(
      work, jobs,
      [&](size_t u) {
        position += chosen[u] - seen;  // the skipped drives before it
        seen = chosen[u];
        if (updateHooks.willUpdate) updateHooks.willUpdate(drives[chosen[u]], position, count);
      },
      [&](size_t u) {
        KRSMARTDrive& drive = drives[chosen[u]];
        updated(drive);
        seen = chosen[u] + 1;
        if (dropped(drive)) {
          drop[chosen[u]] = true;
          --count;
        } else {
          ++position;
        }
      });
  std::vector<KRSMARTDrive> kept;
  for (size_t k = 0; k < drives.size(); ++k)
    if (!drop[k]) kept.push_back(std::move(drives[k]));
  drives = std::move(kept);  // the same list object, as the monitor holds it
}
