// Drives other than ATA: which kind smartctl names, the "-d sat" retry of a
// disk behind an unknown USB bridge, the NVMe and SCSI health logs and their
// rules, and their raw data, which is smartctl's own answers since smartctl
// cannot replay these drives.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "engine/KRSMARTDrive.h"
#include "logs/NvmeRules.h"
#include "logs/ScsiRules.h"
#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Platform.h"

using platform::format;
using kinds::DriveKind;

namespace {

// A raw-data file bigger than this is no smartctl answer.
constexpr std::streamsize kLargestCapture = 4 << 20;

// The message a disk without SMART leaves in smartError, with smartctl's own words.
std::string noSmartMessage(const std::string& said) {
  return said.empty() ? "SMART not supported" : "SMART not supported: " + said;
}

}  // namespace

bool KRSMARTDrive::runsStep(void (KRSMARTDrive::*step)()) const {
  if (step == &KRSMARTDrive::parseInfo) return true;
  if (asleep || kind == DriveKind::NoSmart) return false;
  if (step == &KRSMARTDrive::parseKindLogs) return isOtherKind();
  if (step == &KRSMARTDrive::saveRawData) return true;
  return !isOtherKind();
}

bool KRSMARTDrive::takeKind(logs::OutputLines& lines) {
  kinds::KindAnswer answer = kinds::detectDriveKind(lines);
  if (answer.kind == DriveKind::NeedsDeviceType && !deviceType && !driveFromFile) {
    // Most USB bridges smartctl does not know pass ATA commands through SAT.
    const std::string said = answer.message;
    deviceType = "sat";
    std::optional<logs::OutputLines> retry = runStep(kArgIdentity, "Error parsing information.");
    if (asleep) return false;
    answer = retry ? kinds::afterSatRetry(*retry) : kinds::KindAnswer{DriveKind::NoSmart, said};
    if (answer.kind == DriveKind::Ata) {
      lines = std::move(*retry);
    } else {
      deviceType.reset();
      if (!said.empty()) answer.message = said;
    }
  }
  switch (answer.kind) {
    case DriveKind::Standby:
      asleep = true;
      return false;
    case DriveKind::NeedsDeviceType:
    case DriveKind::NoSmart:
      kind = DriveKind::NoSmart;
      smartSupport = false;
      findings.health = logs::kHealthUnknown;
      smartError = noSmartMessage(answer.message);
      debug(format("No SMART: %@", *smartError));
      return false;
    case DriveKind::Unknown:
      // Nothing names a kind: the steps of the kind known so far judge it.
      return true;
    default:
      kind = answer.kind;
      // Only the NVMe and SCSI rules' verdict makes such a drive passed.
      if (isOtherKind()) findings.health = logs::kHealthUnknown;
      return true;
  }
}

void KRSMARTDrive::parseKindIdentity(const logs::OutputLines& lines) {
  capturedAnswers = lines;
  // As with ATA drives, the first values a record sees stay.
  auto keep = [](std::optional<std::string>& field, const std::optional<std::string>& value) {
    if (!field && value) field = value;
  };
  if (kind == DriveKind::Nvme) {
    const nvme::Identity id = nvme::parseIdentity(lines);
    keep(identity.model, id.model);
    keep(identity.serialNumber, id.serialNumber);
    keep(identity.firmwareVersion, id.firmwareVersion);
    keep(identity.capacity, id.capacity);
  } else {
    const scsi::Identity id = scsi::parseIdentity(lines);
    keep(identity.model, id.model());
    keep(identity.serialNumber, id.serialNumber);
    keep(identity.firmwareVersion, id.revision);
    keep(identity.capacity, id.capacity);
    keep(identity.rotationRate, id.rotationRate);
  }
}

void KRSMARTDrive::parseKindLogs() {
  // A replayed raw-data file holds every answer already.
  if (!driveFromFile) {
    for (uint64_t code : {kArgHealth, kArgAttributes, kArgErrorLog, kArgSelfTestLog}) {
      std::optional<logs::OutputLines> lines = runStep(code, "Error parsing health and logs.");
      if (asleep) return;
      if (!lines) continue;
      capturedAnswers.emplace_back();  // an empty line between answers, as smartctl ends each
      capturedAnswers.insert(capturedAnswers.end(), lines->begin(), lines->end());
    }
  }
  debug("Parsing health and logs.");
  kinds::Findings judged;
  withRemembered([&](logs::Remembered& remembered) {
    if (kind == DriveKind::Nvme) {
      nvmeRecords = nvme::parseReport(capturedAnswers);
      judged = nvme::evaluate(*nvmeRecords, settings(), remembered);
    } else {
      scsiRecords = scsi::parseReport(capturedAnswers);
      judged = scsi::evaluate(*scsiRecords, settings(), remembered);
    }
  });
  findings.health = judged.health;
  for (const kinds::Reason& reason : judged.reasons) findings.addFailureReason(reason.text());
  kindNotes = judged.notes;
}

std::vector<std::string> KRSMARTDrive::driveKindNotes() const {
  std::vector<std::string> out;
  for (const kinds::Reason& note : kindNotes) out.push_back(note.text());
  return out;
}

std::optional<logs::OutputLines> KRSMARTDrive::capturedReplay() const {
  if (!driveFromFile || !location) return std::nullopt;
  std::ifstream in(*location, std::ios::binary);
  if (!in) return std::nullopt;
  // In pieces: a buffer of the largest size for every replay would be most
  // of the command line's memory.
  std::string text;
  char piece[16384];
  while (static_cast<std::streamsize>(text.size()) < kLargestCapture) {
    in.read(piece, std::min<std::streamsize>(sizeof piece, kLargestCapture - static_cast<std::streamsize>(text.size())));
    if (in.gcount() <= 0) break;
    text.append(piece, static_cast<size_t>(in.gcount()));
  }
  if (text.empty()) return std::nullopt;
  if (text.back() != '\n') text += '\n';
  logs::OutputLines lines = KRTask::splitLines(text);
  // An ATA trace is smartctl's to replay.
  const DriveKind k = kinds::detectDriveKind(lines).kind;
  if (k != DriveKind::Nvme && k != DriveKind::Scsi) return std::nullopt;
  return lines;
}

void KRSMARTDrive::saveCapturedAnswers() {
  std::string text;
  for (const std::string& line : capturedAnswers) text += line + "\n";
  std::string error;
  if (!platform::writeFileAtomically(rawDataPath(), text, error, 0600))
    platform::log(format("Exception occured in saveRawData. %@: %@", "FileWriteException", error));
}
