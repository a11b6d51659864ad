#include "app/cli/TextOutput.h"

#include "app/cli/DriveStatus.h"

namespace cli {

std::vector<std::string> driveNotes(const KRSMARTDrive& drive) {
  std::vector<std::string> notes = drive.getFailureReasonsText().value_or(std::vector<std::string>{});
  if (!drive.smartSupported())
    notes.push_back(drive.getLastSMARTErrorMessage().value_or("smartctl gave no usable answer"));
  else if (drive.driveHealth() == kHealthUnknown)
    notes.push_back("smartctl gave no overall health assessment");
  if (drive.exceptionOccurred()) notes.push_back("some SMART data could not be read (see the system log)");
  return notes;
}

void printDrives(std::ostream& out, std::vector<KRSMARTDrive>& drives, bool fullReport) {
  for (KRSMARTDrive& drive : drives) {
    out << driveTitle(drive) << ": " << stateWord(driveState(drive)) << "\n";
    for (const auto& note : driveNotes(drive)) out << "    " << note << "\n";
    if (fullReport) {
      std::string report = drive.description();
      if (!report.empty() && report.back() != '\n') report += '\n';
      out << "\n" << report << "\n";
    }
  }
}

}  // namespace cli
