// The one way the drive talks to smartctl: builds the command line for the
// argument code, runs it, and judges the answer for the failures smartctl
// reports.
#include <filesystem>
#include <sstream>

#include "engine/DirectSmartctl.h"
#include "engine/KRSMARTDrive.h"
#include "engine/TimeLimit.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Platform.h"
#include "platform/PreferenceKeys.h"
#include "platform/Text.h"

namespace fs = std::filesystem;
using platform::format;

namespace {

using platform::contains;

std::string joinLines(const logs::OutputLines& lines) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) out += (i ? "\n" : "") + lines[i];
  return out;
}

void showScanFailureAlert() {
  platform::showCriticalAlert(
      platform::localized("Main", "Exception1", "An Error Occurred"),
      platform::failureAlertText("An error occurred attempting to scan for SMART data. Tarvel may work incorrectly. "
                                 "Please contact %@ for help."),
      platform::localized("Main", "OK", "OK"));
}

}  // namespace

std::vector<std::string> KRSMARTDrive::smartctlArguments() const {
  const std::string device = driveFromFile ? "-" : location.value_or("");
  const bool vp = runVeryPermissive;
  auto permissive = [&](std::vector<std::string> args) {
    if (vp) args.insert(args.begin(), {"-T", "verypermissive"});
    args.push_back(device);
    return args;
  };
  switch (argumentCode) {
    case kArgHealth: return permissive({"-H"});
    case kArgIdentity: return permissive({"-i"});
    case kArgCapabilities: return permissive({"-c"});
    case kArgAttributes: return permissive({"-A"});
    case kArgErrorLog: return permissive({"-l", "error"});
    case kArgSelfTestLog: return permissive({"-l", "selftest"});
    case kArgSelectiveLog: return permissive({"-l", "selective"});
    case kArgShortTest: return vp ? std::vector<std::string>{"-V"} : std::vector<std::string>{"-t", "short", device};
    case kArgExtendedTest: return vp ? std::vector<std::string>{"-V"} : std::vector<std::string>{"-t", "long", device};
    case kArgAbortTest: return vp ? std::vector<std::string>{"-V"} : std::vector<std::string>{"-X", device};
    case kArgEnableSMART: return {"-s", "on", device};
    case kArgOptions: return options.value_or(std::vector<std::string>{});
    case kArgRawData: return {"-r", "ataioctl,2", "-a", device};
    default: return {"-V"};
  }
}

std::vector<std::string> KRSMARTDrive::commandLine() const {
  std::vector<std::string> args = smartctlArguments();
  // Free options go as given; "-V" names no device.
  if (argumentCode == kArgOptions || args.size() < 2) return args;
  std::vector<std::string> front;
  if (deviceType) front = {"-d", *deviceType};
  // A check (updateInfo) only reads: it need not spin up a sleeping disk.
  // A replay asks no power mode; what the user asks for wakes the disk.
  const bool reads = argumentCode >= kArgHealth && argumentCode <= kArgSelectiveLog;
  if (checking && reads && !driveFromFile &&
      !platform::prefs().boolForKey(platform::keys::kWakeSleepingDrives))
    front.insert(front.end(), {"-n", "standby"});
  args.insert(args.begin(), front.begin(), front.end());
  return args;
}

std::optional<std::string> KRSMARTDrive::getsmartctlPath() const {
  if (enableCommandLineOption) return (fs::path(platform::bundle().executableFolder) / "smartctl").string();
  if (bundlePath) return (fs::path(*bundlePath) / "Contents" / "MacOS" / "smartctl").string();
  fs::path own = fs::path(platform::bundle().bundlePath) / "Contents" / "MacOS" / "smartctl";
  std::error_code ec;
  if (fs::exists(own, ec)) return own.string();
  return std::nullopt;
}

std::string KRSMARTDrive::rawDataPath() const {
  std::string name = fs::path(location.value_or("")).filename().string();
  return platform::format("%@/%@.trdr", platform::bundle().logsFolder, name);
}

std::optional<logs::OutputLines> KRSMARTDrive::runSMARTbinary(bool saveRawData) {
  std::vector<std::string> arguments = commandLine();
  std::optional<std::string> path = getsmartctlPath();
  const auto& direct = engine::directSmartctl();
  bool bypassGate = enableCommandLineOption && direct && argumentCode != kArgOptions &&
                    (driveFromFile || direct->devices);
  if (bypassGate && direct->vet) {
    std::optional<std::vector<std::string>> vetted = direct->vet(arguments);
    if (vetted) arguments = std::move(*vetted);
    bypassGate = vetted.has_value();
  }
  if (bypassGate) path = direct->path;
  debug("Running smartctl binary.");
  if (!path) {
    platform::log("Could not locate smartctl binary. Please reinstall application.");
    return std::nullopt;
  }
  KRTask task;
  task.setTimeLimit(engine::smartctlTimeLimit());
  if (bypassGate) task.setEnvironment(direct->environment);
  if (saveRawData) {
    task.setRawDataPath(rawDataPath());
    try {
      task.parseCommandLine(*path, arguments);
    } catch (const platform::Exception& e) {
      platform::log(format("Exception occured in runSMARTBinary->saveRawData- %@: %@", e.name(), e.reason()));
    }
    noteUnanswered(task);
    return std::nullopt;
  }

  if (driveFromFile) task.setReadFromFilePath(location.value_or(""));
  std::optional<logs::OutputLines> lines;
  try {
    lines = task.parseCommandLine(*path, arguments);
  } catch (const platform::Exception& e) {
    platform::log(format("Exception occured in runSMARTBinary- %@: %@", e.name(), e.reason()));
    if (!enableCommandLineOption) showScanFailureAlert();
    return std::nullopt;
  }

  // Not smartctl's verdict on the drive: support and error stay as they were.
  if (noteUnanswered(task)) return std::nullopt;

  if (outputDebugMessages && lines) {
    platform::log("smartctl output:");
    platform::log(format("\n**********\n%@\n**********\n", joinLines(*lines)));
  }

  if (!lines) {
    smartSupport = false;
    platform::log(format("smartctl returned error code: %d", task.getErrorCode()));
    return std::nullopt;
  }
  smartSupport = true;
  // The health and logs of an NVMe or SCSI drive: a log smartctl could not
  // read ("Read Self-test Log failed: ...") or did not print is for their
  // rules to note; only a disk that could not be opened ends the run.
  const bool kindLog = isOtherKind() && argumentCode != kArgIdentity && argumentCode <= kArgSelectiveLog;
  if (kindLog && (lines->size() < 3 || !contains((*lines)[2], "open device"))) return lines;
  if (lines->size() < 3) {
    debug("smartctl returned error message: unknown error");
    platform::log(format("%@", joinLines(*lines)));
    smartSupport = false;
    smartError = "unknown error";
    return std::nullopt;
  }
  const std::string& line2 = (*lines)[2];
  if (contains(line2, " failed: ") || contains(line2, "Device Read Identity Failed")) {
    debug(format("smartctl returned error message: %@", line2));
    smartSupport = false;
    runVeryPermissive = false;
    smartError = line2;
    return std::nullopt;
  }
  for (size_t i = 2; i < lines->size(); ++i) {
    const std::string& line = (*lines)[i];
    if (contains(line, "SMART support is: Ambiguous") && !runVeryPermissive) {
      runVeryPermissive = true;
      std::optional<logs::OutputLines> inner = runSMARTbinary(false);
      if (inner) {
        runVeryPermissive = false;
        return inner;
      }
      const char* message = "smartctl returned error message: SMART support is ambiguous but SMART cannot be enabled.";
      platform::log(message);
      smartSupport = false;
      smartError = message;
      return std::nullopt;
    }
    if (contains(line, "Syntax error: No information found")) {
      debug(format("smartctl returned error message: %@", line));
      smartSupport = false;
      runVeryPermissive = false;
      smartError = line;
      return std::nullopt;
    }
    // "A mandatory SMART command failed" decides nothing: smartctl still
    // prints what it could read, and the steps judge that.
  }
  return lines;
}

bool KRSMARTDrive::noteUnanswered(const KRTask& task) {
  if (!task.timedOut() && !task.cancelled()) return false;
  runWentUnanswered = true;
  if (task.timedOut()) {
    timedOutAfter = task.timeLimit();
    platform::log(format("%@ on %@; its other readings are skipped this time.", noAnswerReason(task.timeLimit()),
                         location.value_or("?")));
  }
  return true;
}

void KRSMARTDrive::saveRawData() {
  // smartctl traces only ATA commands: an NVMe or SCSI drive's raw data is
  // the answers of this update.
  if (isOtherKind()) return saveCapturedAnswers();
  argumentCode = kArgRawData;
  runSMARTbinary(true);
}

std::string KRSMARTDrive::smartctlVersion() {
  argumentCode = kArgVersion;
  std::optional<logs::OutputLines> lines = runSMARTbinary(false);
  if (!lines || lines->empty()) return "unknown";
  const std::string& banner = (*lines)[0];
  size_t matchLength;
  if (contains(banner, "smartctl version ")) matchLength = std::string("smartctl version ").size();
  else if (contains(banner, "smartctl ")) matchLength = std::string("smartctl ").size();
  else return "unknown";
  if (banner.size() < matchLength + 5) throw platform::rangeError("version banner too short");
  std::istringstream window(banner.substr(matchLength, 5));
  std::string version;
  window >> version;
  return version.empty() ? "unknown" : version;
}

void KRSMARTDrive::runOptions(const std::string& optionText) {
  std::istringstream in(optionText);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  words.push_back(location.value_or(""));
  options = words;
  argumentCode = kArgOptions;
  std::optional<logs::OutputLines> lines = runSMARTbinary(false);
  if (lines) platform::log(format("%@", joinLines(*lines)));
}
