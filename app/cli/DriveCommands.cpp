#include "app/cli/DriveCommands.h"

#include <fstream>
#include <sstream>

#include "app/cli/SmartctlSetup.h"
#include "engine/KRSMARTDrive.h"
#include "platform/Exception.h"
#include "platform/Platform.h"
#include "platform/PreferenceKeys.h"
#include "app/cli/LogCapture.h"

namespace cli {

namespace {

std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Target {
  std::string location;
  bool fromFile;
};

KRSMARTDrive driveFor(const Target& t) {
  KRSMARTDrive d = KRSMARTDrive::initForCommandLine();
  d.setLocation(t.location);
  d.setDriveAsFile(t.fromFile);
  d.setDebugState(platform::prefs().boolForKey(platform::keys::kOutputDebugMessages));
  return d;
}

// Why smartctl's answer to the last command failed, when it says so.
std::string failureOf(const KRSMARTDrive& d) {
  auto error = d.getLastSMARTErrorMessage();
  if (!error) return "";
  std::string text = ": " + *error;
  if (reportsMissingPrivileges(*error)) text += "\n" + privilegeHint();
  return text;
}

bool saveRawData(const Target& t, std::ostream& out, std::ostream& err) {
  if (t.fromFile) {
    err << "tarvel: " << t.location << ": a replayed drive has no new raw data to save\n";
    return false;
  }
  KRSMARTDrive d = driveFor(t);
  const std::string path = d.rawDataPath();
  d.saveRawData();
  // smartctl's answer is saved whatever it says; judge it as the drive would.
  std::optional<logs::OutputLines> lines;
  try {
    lines = KRTask::splitLines(readWhole(path));
  } catch (const platform::Exception&) {
  }
  if (!lines || lines->size() < 3 || (*lines)[2].find(" failed: ") != std::string::npos) {
    std::string why = lines && lines->size() >= 3 ? (*lines)[2] : "no answer from smartctl";
    err << "tarvel: " << t.location << ": could not save raw data: " << why << "\n";
    if (reportsMissingPrivileges(why)) err << privilegeHint() << "\n";
    return false;
  }
  out << "Saved the raw data of " << t.location << " to " << path << "\n";
  return true;
}

bool selfTest(const Target& t, DriveCommand command, std::ostream& out, std::ostream& err) {
  const char* kind = command == DriveCommand::ShortTest ? "short" : "extended";
  if (t.fromFile) {
    err << "tarvel: " << t.location << ": a replayed drive cannot run a self-test\n";
    return false;
  }
  KRSMARTDrive d = driveFor(t);
  // The polling times and the abort behaviour come from the capabilities.
  d.parseCapabilities();
  const uint64_t result = d.runSelfTest(command == DriveCommand::ShortTest ? KRSMARTDrive::kArgShortTest : KRSMARTDrive::kArgExtendedTest);
  switch (result) {
    case 1: {
      int minutes = command == DriveCommand::ShortTest ? d.driveShortSelfTestTime() : d.driveExtendedSelfTestTime();
      out << "Started a " << kind << " self-test on " << t.location;
      if (minutes > 0) out << "; it takes about " << minutes << " minute" << (minutes == 1 ? "" : "s");
      out << ".\n";
      return true;
    }
    case 3:
      err << "tarvel: " << t.location << ": another self-test is running; abort it first with --abort-test\n";
      return false;
    case 0:
      err << "tarvel: " << t.location << ": smartctl gave no answer" << failureOf(d) << "\n";
      return false;
    default:
      err << "tarvel: " << t.location << ": the drive did not start the " << kind << " self-test" << failureOf(d)
          << "\n";
      return false;
  }
}

bool abortTest(const Target& t, std::ostream& out, std::ostream& err) {
  if (t.fromFile) {
    err << "tarvel: " << t.location << ": a replayed drive runs no self-test\n";
    return false;
  }
  KRSMARTDrive d = driveFor(t);
  d.parseCapabilities();
  if (!d.stopSelfTest()) {
    err << "tarvel: " << t.location << ": the drive did not confirm the abort" << failureOf(d) << "\n";
    return false;
  }
  out << "Aborted the self-test on " << t.location << ".\n";
  return true;
}

bool smartctlOptions(const Target& t, const std::string& options, std::ostream& out, std::ostream& err) {
  KRSMARTDrive d = driveFor(t);
  LogCapture capture;
  d.runOptions(options);
  std::vector<std::string> logged = capture.lines();
  if (logged.empty()) {
    err << "tarvel: " << t.location << ": smartctl gave no answer" << failureOf(d) << "\n";
    return false;
  }
  for (const auto& text : logged) out << text << "\n";
  return true;
}

}  // namespace

int runDriveCommand(const Options& options, std::ostream& out, std::ostream& err) {
  if (auto problem = smartctlProblem()) {
    err << "tarvel: " << *problem << "\n";
    return 3;
  }
  std::vector<Target> targets;
  for (const auto& d : options.devices) targets.push_back({d, false});
  for (const auto& f : options.replays) targets.push_back({f, true});

  if (options.command == DriveCommand::SmartctlVersion) {
    KRSMARTDrive d = targets.empty() ? KRSMARTDrive::initForCommandLine() : driveFor(targets.front());
    std::string version;
    try {
      version = d.smartctlVersion();
    } catch (const platform::Exception&) {
      version = "unknown";
    }
    if (version == "unknown") {
      err << "tarvel: could not read the version of " << bundledSmartctlPath() << "\n";
      return 1;
    }
    out << version << "\n";
    return 0;
  }

  if (targets.empty()) {
    err << "tarvel: this command needs a DEVICE or a raw-data FILE\nTry 'tarvel --help'.\n";
    return 3;
  }
  bool allDone = true;
  for (const Target& t : targets) {
    bool done = false;
    switch (options.command) {
      case DriveCommand::SaveRawData: done = saveRawData(t, out, err); break;
      case DriveCommand::ShortTest:
      case DriveCommand::ExtendedTest: done = selfTest(t, options.command, out, err); break;
      case DriveCommand::AbortTest: done = abortTest(t, out, err); break;
      case DriveCommand::SmartctlOptions: done = smartctlOptions(t, options.smartctlOptions, out, err); break;
      default: break;
    }
    allDone = allDone && done;
  }
  return allDone ? 0 : 1;
}

}  // namespace cli
