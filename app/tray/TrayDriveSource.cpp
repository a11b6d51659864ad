#include "app/tray/TrayDriveSource.h"

#include "app/cli/SmartctlSetup.h"
#include "platform/Format.h"
#include "platform/Platform.h"

namespace tray {

namespace {

std::string join(const std::vector<std::string>& parts, const char* separator) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? separator : "") + parts[i];
  return out;
}

}  // namespace

std::vector<std::string> accessNotice(bool smartctlMissing, const std::vector<std::string>& deniedDisks) {
  if (smartctlMissing)
    return {platform::localized("Main", "SmartctlMissing", "Cannot read the drives: smartctl is missing")};
  if (deniedDisks.empty()) return {};
  return {platform::format(platform::localized("Main", "NoPrivileges1", "Cannot read %@: smartctl was denied access"),
                           join(deniedDisks, ", ")),
          platform::localized("Main", "NoPrivileges2", "Install Tarvel with: sudo cmake --install build")};
}

TrayDriveSource::TrayDriveSource(discovery::NamingProfile naming, NoticeHandler showNotice) : showNotice_(std::move(showNotice)) {
  scanner().setNamingProfile(std::move(naming));
  scanner().setUpdateHooks({nullptr, [this](const KRSMARTDrive& drive) {
                              if (drive.smartSupported()) return;
                              auto error = drive.getLastSMARTErrorMessage();
                              if (!error || !cli::reportsMissingPrivileges(*error)) return;
                              denied_.push_back(drive.driveLocation().value_or("?") + ": " + *error);
                              deniedNames_.push_back(drive.driveLocationID());
                            }});
}

bool TrayDriveSource::scanForDrives() {
  // What the last check found no longer holds for a new list.
  showNotice_({});
  return ScannerDriveSource::scanForDrives();
}

void TrayDriveSource::updateDrives() {
  denied_.clear();
  deniedNames_.clear();
  const std::optional<std::string> problem = cli::smartctlProblem();
  ScannerDriveSource::updateDrives();

  if (problem) platform::log(*problem);
  else if (!denied_.empty())
    platform::log("smartctl was not allowed to open the drive: " + join(denied_, "; ") + ". " + cli::privilegeHint());
  showNotice_(accessNotice(problem.has_value(), deniedNames_));
}

}  // namespace tray
