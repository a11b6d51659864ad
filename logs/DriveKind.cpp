#include "logs/DriveKind.h"

#include <string_view>

#include "logs/SmartctlLines.h"

namespace kinds {

namespace {

using smartctl::contains;
using smartctl::startsWith;
using smartctl::trimmed;

bool anyLine(const std::vector<std::string>& lines, bool (*test)(std::string_view)) {
  for (const std::string& line : lines)
    if (test(trimmed(line))) return true;
  return false;
}

std::string firstLineWith(const std::vector<std::string>& lines, std::string_view part) {
  for (const std::string& line : lines)
    if (contains(line, part)) return std::string(trimmed(line));
  return {};
}

bool isNvmeLine(std::string_view l) {
  return startsWith(l, "NVMe Version:") || startsWith(l, "Model Number:") || contains(l, "(NVMe Log 0x") ||
         startsWith(l, "Number of Namespaces:") || startsWith(l, "Read NVMe ") ||
         // ATA and SCSI answers say "READ SMART DATA SECTION"; a lone "-H" answer has nothing else.
         startsWith(l, "=== START OF SMART DATA SECTION ===");
}

bool isScsiLine(std::string_view l) {
  return startsWith(l, "Transport protocol:") || startsWith(l, "Vendor:") || startsWith(l, "Product:") ||
         startsWith(l, "SMART Health Status:") || startsWith(l, "Error counter log:") ||
         startsWith(l, "Elements in grown defect list:") || startsWith(l, "Serial number:");
}

bool isAtaLine(std::string_view l) {
  return startsWith(l, "Device Model:") || startsWith(l, "ATA Version is:") || startsWith(l, "SATA Version is:") ||
         startsWith(l, "Model Family:") || startsWith(l, "SMART Attributes Data Structure revision number:") ||
         startsWith(l, "General SMART Values:") || startsWith(l, "SMART Error Log Version:");
}

bool scsiLacksSmart(std::string_view l) {
  return startsWith(l, "SMART support is:") && contains(l, "Unavailable");
}

}  // namespace

std::optional<std::string> standbyMessage(const std::vector<std::string>& lines) {
  if (std::string s = firstLineWith(lines, "Device is in "); !s.empty() && contains(s, " mode")) return s;
  return std::nullopt;
}

KindAnswer detectDriveKind(const std::vector<std::string>& lines) {
  // Asleep first: such an answer holds nothing else.
  if (std::optional<std::string> s = standbyMessage(lines)) return {DriveKind::Standby, *s};
  for (std::string_view marker : {"Unable to detect device type", "Unknown USB bridge"})
    if (std::string s = firstLineWith(lines, marker); !s.empty()) return {DriveKind::NeedsDeviceType, s};
  if (std::string s = firstLineWith(lines, "Please specify device type"); !s.empty())
    return {DriveKind::NeedsDeviceType, s};
  // NVMe before SCSI: an NVMe answer has none of the SCSI labels, while
  // "Serial Number:" (NVMe, ATA) differs from SCSI's "Serial number:".
  if (anyLine(lines, isNvmeLine)) return {DriveKind::Nvme, {}};
  if (anyLine(lines, isAtaLine)) return {DriveKind::Ata, {}};
  if (anyLine(lines, isScsiLine)) {
    if (anyLine(lines, scsiLacksSmart))
      return {DriveKind::NoSmart, firstLineWith(lines, "SMART support is:")};
    return {DriveKind::Scsi, {}};
  }
  return {DriveKind::Unknown, {}};
}

KindAnswer afterSatRetry(const std::vector<std::string>& retryLines) {
  KindAnswer answer = detectDriveKind(retryLines);
  if (answer.kind == DriveKind::Ata || answer.kind == DriveKind::Standby) {
    // An identity that smartctl could not read is no ATA drive either.
    for (const std::string& line : retryLines) {
      if (contains(line, "Read Device Identity failed") || contains(line, "[No Information Found]") ||
          contains(line, "Unavailable - device lacks SMART capability") ||
          contains(line, "A mandatory SMART command failed"))
        return {DriveKind::NoSmart, std::string(trimmed(line))};
    }
    return answer;
  }
  if (answer.message.empty()) {
    for (const std::string& line : retryLines)
      if (contains(line, " failed")) return {DriveKind::NoSmart, std::string(trimmed(line))};
  }
  return {DriveKind::NoSmart, answer.message};
}

std::string kindName(DriveKind kind) {
  switch (kind) {
    case DriveKind::Ata: return "ata";
    case DriveKind::Nvme: return "nvme";
    case DriveKind::Scsi: return "scsi";
    default: return {};
  }
}

}  // namespace kinds

