#include "app/cli/TextOutput.h"

#include "app/cli/DriveStatus.h"
#include "app/cli/KindDetails.h"

namespace cli {

std::vector<std::string> driveNotes(const KRSMARTDrive& drive) {
  std::vector<std::string> notes = drive.getFailureReasonsText().value_or(std::vector<std::string>{});
  const std::vector<std::string> kindNotes = drive.driveKindNotes();
  notes.insert(notes.end(), kindNotes.begin(), kindNotes.end());
  // For a drive that stopped answering, the reasons already say so.
  const bool answered = !drive.driveTimedOut();
  if (answered && drive.driveAsleep())
    notes.push_back("asleep: not woken for this check; the state shown is the last one read");
  else if (answered && !drive.smartSupported())
    notes.push_back(drive.getLastSMARTErrorMessage().value_or("smartctl gave no usable answer"));
  else if (answered && drive.driveHealth() == logs::kHealthUnknown && kindNotes.empty())
    notes.push_back("smartctl gave no overall health assessment");
  if (drive.exceptionOccurred()) notes.push_back("some SMART data could not be read (see the system log)");
  return notes;
}

std::vector<std::string> driveDetails(const KRSMARTDrive& drive) {
  std::vector<std::string> lines;
  auto add = [&](const char* label, const std::optional<std::string>& value) {
    if (value && !value->empty()) lines.push_back(std::string(label) + ": " + *value);
  };
  add("Device", drive.driveLocation());
  if (drive.driveDeviceType()) add("Device type", drive.driveDeviceType());
  add("Model family", drive.driveModelFamily());
  add("Model", drive.driveModel());
  add("Serial number", drive.driveSerialNumber());
  add("Firmware version", drive.driveFirmwareVersion());
  add("Capacity", drive.driveCapacity());
  add("ATA version", drive.driveATAVersion());
  add("SATA version", drive.driveSATAVersion());
  add("Rotation rate", drive.driveRotationRate());
  add("Last SMART error", drive.getLastSMARTErrorMessage());
  // A disk asleep since the start has nothing more to show.
  if (!drive.smartSupported() || (drive.driveAsleep() && drive.driveKind() == kinds::DriveKind::Unknown))
    return lines;
  // NVMe and SCSI drives have none of the ATA lines below.
  if (std::vector<std::string> kind = kindDetails(drive); !kind.empty()) {
    lines.insert(lines.end(), kind.begin(), kind.end());
    return lines;
  }
  add("Overall health", drive.driveOverallHealth());
  lines.push_back("Offline data collection " + drive.driveOfflineDataCollectionActivity() +
                  (drive.driveAutoOfflineDataCollectionEnable() ? " (automatic collection on)" : ""));
  lines.push_back("Self-test: " + drive.driveSelfTestExecution());
  struct Capability {
    bool on;
    const char* name;
  };
  const Capability capabilities[] = {
      {drive.driveSMARTExecuteOfflineImmediate(), "offline immediate"},
      {drive.driveAutoOfflineDataCollection(), "automatic offline collection"},
      {drive.driveAbortOfflineCollection(), "offline collection aborted by new commands"},
      {drive.driveOfflineSurfaceScan(), "offline surface scan"},
      {drive.driveSelfTest(), "self-test"},
      {drive.driveConveyanceSelfTest(), "conveyance self-test"},
      {drive.driveSelectiveSelfTest(), "selective self-test"},
      {drive.driveAutoSavingSMARTData(), "saves SMART data"},
      {drive.driveErrorLogging(), "error logging"},
      {drive.driveGeneralPurposeLogging(), "general purpose logging"},
  };
  std::string list;
  for (const auto& c : capabilities)
    if (c.on) list += (list.empty() ? "" : ", ") + std::string(c.name);
  if (!list.empty()) lines.push_back("Capabilities: " + list);
  if (drive.driveSelfTest())
    lines.push_back("Self-test times: short " + std::to_string(drive.driveShortSelfTestTime()) + " min, extended " +
                    std::to_string(drive.driveExtendedSelfTestTime()) + " min" +
                    (drive.driveConveyanceSelfTest()
                         ? ", conveyance " + std::to_string(drive.driveConveyanceSelfTestTime()) + " min"
                         : ""));
  return lines;
}

void printDrives(std::ostream& out, std::vector<KRSMARTDrive>& drives, bool fullReport, bool details) {
  for (KRSMARTDrive& drive : drives) {
    out << monitor::driveTitle(drive) << ": " << stateWord(driveState(drive)) << "\n";
    for (const auto& note : driveNotes(drive)) out << "    " << note << "\n";
    if (details)
      for (const auto& line : driveDetails(drive)) out << "  " << line << "\n";
    if (fullReport) {
      std::string report = drive.description();
      if (!report.empty() && report.back() != '\n') report += '\n';
      out << "\n" << report << "\n";
    }
  }
}

}  // namespace cli
