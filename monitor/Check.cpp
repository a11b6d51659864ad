// The check: update every drive, show each one's state, and report by
// notification, the drive list file and e-mail.
#include <filesystem>
#include <thread>

#include "monitor/DriveTitle.h"
#include "monitor/KRTarvelMenuItemController.h"
#include "platform/AtomicFile.h"
#include "platform/Format.h"
#include "platform/Platform.h"
#include "platform/PropertyList.h"
#include "platform/PreferenceKeys.h"

using monitor::MenuItem;
using monitor::driveTitle;

using platform::PlistValue;

namespace {

const int kStatusImageSize = 18;

std::string mainText(const char* key, const char* defaultText) {
  return platform::localized("Main", key, defaultText);
}

// An absent model, capacity or serial number is stored as empty text, so the
// companion application always finds all five keys of a record.
PlistValue problemDriveRecord(const KRSMARTDrive& drive, const std::string& title, const char* health) {
  return PlistValue::Dict{
      {"DriveModel", drive.driveModel().value_or("")},
      {"DriveSize", drive.driveCapacity().value_or("")},
      {"DriveSN", drive.driveSerialNumber().value_or("")},
      {"DriveNames", title},
      {"DriveHealth", health},
  };
}

std::string emailSubject(int failingLines, int failedLines) {
  std::string hostName = platform::prefs().stringForKey(platform::keys::kEmailHostName).value_or("");
  std::string subject;
  if (failingLines > 0 && failedLines > 0)
    subject = mainText("EmailFailingFailed2", "Tarvel Menu Item Report (%@): FAILING AND FAILED DRIVES!");
  else if (failingLines > 0)
    subject = mainText("EmailFailing2", "Tarvel Menu Item Report (%@): FAILING DRIVES!");
  else if (failedLines > 0)
    subject = mainText("EmailFailed2", "Tarvel Menu Item Report (%@): FAILED DRIVES!");
  else
    subject = mainText("EmailPassed2", "Tarvel Menu Item Report (%@): All drives passed.");
  return platform::format(subject, hostName);
}

}  // namespace

void KRTarvelMenuItemController::updateDrives() {
  if (checking) {
    if (pending == Pending::None) pending = Pending::Update;
    return;
  }
  if (!drives || drives->empty()) {
    resetMenu();
    overallStatus = logs::kHealthPassed;
    menuChanged();
    return;
  }

  for (KRSMARTDrive& drive : *drives) drive.setBundlePath(platform::bundle().bundlePath);
  // The menu shown meanwhile is the last check's: the base menu replaces it
  // only when this one has its results.
  checking = true;
  smartScanner->startUpdate([this] {
    checking = false;
    checkFinished();
    runPending();
  });
}

void KRTarvelMenuItemController::checkFinished() {
  resetMenu();
  overallStatus = logs::kHealthPassed;

  std::vector<std::string> reportLines;
  int failingLines = 0;
  int failedLines = 0;
  int problemCount = 0;
  PlistValue::Array problemDrives;

  for (size_t i = 0; i < drives->size(); ++i) {
    const KRSMARTDrive& drive = (*drives)[i];
    // A drive without SMART support (kept by "ShowUnsupportedDrives") has no
    // health to show. It is passed over rather than ending the pass, so the
    // drives listed after it are still shown and reported. One that stopped
    // answering is shown: the user has to learn of it. So is a disk smartctl
    // found no SMART on (eMMC, virtio).
    if (!drive.smartSupported() && !drive.driveTimedOut() && drive.driveKind() != kinds::DriveKind::NoSmart) continue;

    const std::string title = driveTitle(drive);
    if (drive.drivePartitionCount() == 1) {
      trMenu.insertItemWithTitle(title, MenuAction::None, "", 0);
    } else {
      const std::string id = drive.driveLocationID();
      MenuItem& item = trMenu.insertItemWithTitle(id, MenuAction::None, "", 0);
      Menu partitions(id);
      partitions.setAutoenablesItems(false);
      for (uint64_t p = 0; p < drive.drivePartitionCount(); ++p)
        partitions.addItemWithTitle(drive.partitionNameAtIndex(p), MenuAction::None, "").setEnabled(false);
      trMenu.setSubmenu(std::move(partitions), item);
    }
    if (drive.driveTimedOut() && drive.driveHealth() < logs::kHealthFailing)
      showUnansweredDrive(title, *drive.driveTimedOut());
    else
      showDriveHealth(drive, title);
    if (!drive.smartSupported()) continue;

    switch (drive.driveHealth()) {
      case logs::kHealthPassed:
        if (platform::prefs().boolForKey(platform::keys::kEmailDrivePassed))
          reportLines.push_back(platform::format(mainText("DrivePassed3", "%@: PASSED"), title));
        break;
      case logs::kHealthFailing:
        if (platform::prefs().boolForKey(platform::keys::kEmailDriveFailing)) {
          reportLines.push_back(platform::format(mainText("DriveFailing3", "%@: FAILING"), title));
          ++failingLines;
        }
        ++problemCount;
        problemDrives.push_back(problemDriveRecord(drive, title, "FAILING"));
        break;
      case logs::kHealthFailed:
        if (platform::prefs().boolForKey(platform::keys::kEmailDriveFailed)) {
          reportLines.push_back(platform::format(mainText("DriveFailed3", "%@: FAILED"), title));
          ++failedLines;
        }
        ++problemCount;
        problemDrives.push_back(problemDriveRecord(drive, title, "FAILED"));
        break;
      default:
        break;
    }
  }

  trStatusImage = overallStatus == logs::kHealthFailed    ? "Tarvel Red"
                  : overallStatus == logs::kHealthFailing ? "Tarvel Yellow"
                                                          : "Tarvel Green";
  trStatusItem->setImage(trStatusImage, kStatusImageSize);
  const std::string checkTime = services.shortDateTimeNow();
  trMenu
      .insertItemWithTitle(platform::format(mainText("LastUpdated", "Last Updated: %@"), checkTime), MenuAction::None,
                           "", trMenu.numberOfItems() - 6)
      .setEnabled(false);
  menuChanged();

  PlistValue::Dict result{{"CheckTime", checkTime}, {"TRProblemDrivesCount", problemCount < 1 ? 0 : problemCount}};
  if (problemCount >= 1) result["TRProblemDrives"] = std::move(problemDrives);
  // The companion application creates the folder; a write that fails leaves
  // the old file whole and is not worth interrupting the check for.
  const std::string path = (std::filesystem::path(platform::bundle().appSupportFolder) / "DrivesList.plist").string();
  std::string error;
  if (!platform::writeFileAtomically(path, platform::plistXml(PlistValue(std::move(result))), error) &&
      platform::prefs().boolForKey(platform::keys::kOutputDebugMessages))
    platform::log(platform::format("Could not write %@: %@", path, error));

  if (!reportLines.empty()) {
    std::string body;
    for (const std::string& line : reportLines) body += line + "\n";
    std::vector<std::string> message{emailSubject(failingLines, failedLines), std::move(body)};
    PasswordLookup lookup = services.passwordLookup;
    try {
      services.detachThread([message = std::move(message), lookup = std::move(lookup)] {
        sendEmailWithSubjectAndMessage(message, lookup);
      });
    } catch (const std::exception& e) {  // no thread to be had: this report is lost, the monitor goes on
      platform::log(platform::format("E-mail report not sent: %@", e.what()));
    }
  }
}
