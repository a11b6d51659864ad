// The plain-text report of a drive and of each of its records, laid out
// like smartctl's own tables.
#include "engine/KRSMARTDrive.h"
#include "platform/Format.h"
#include "platform/Platform.h"

using platform::format;

namespace {

const char* const kNotSet = "*not set*";

std::string orNotSet(const std::optional<std::string>& text) { return text ? *text : kNotSet; }

// Width as the user sees it: localized names are counted in characters
// (UTF-16 units, like the tables' own texts), not in bytes.
size_t displayWidth(const std::string& text) { return utf16Length(text.data(), text.size()).value_or(text.size()); }

std::string padded(const std::string& text, size_t width) {
  size_t w = displayWidth(text);
  return w < width ? text + std::string(width - w, ' ') : text;
}

}  // namespace

std::string KRSMARTDrive::description() {
  std::string r;
  r += "location: " + orNotSet(location) + "\n";
  r += format("partition count: %lu", partitionCount) + "\n";
  if (partitionCount != 0) {
    r += "partitions: ";
    for (const std::string& name : partitionNames.value_or(std::vector<std::string>{})) r += name + ", ";
  }
  r += "\n";
  r += std::string("SMART Support: ") + (smartSupport ? "Supported" : "Unsupported") + "\n";
  r += "Last SMART Error: " + orNotSet(smartError);
  if (!smartSupport) return r;
  r += "\n";

  const std::pair<const char*, const std::optional<std::string>*> identity[] = {
      {"Model Family: ", &modelFamily},   {"Model: ", &model},
      {"Serial Number: ", &serialNumber}, {"Firmware Version: ", &firmwareVersion},
      {"Capacity: ", &capacity},          {"ATA Version: ", &ataVersion},
      {"SATA Version: ", &sataVersion},   {"Rotation Rate: ", &rotationRate},
  };
  for (const auto& [label, value] : identity) r += label + orNotSet(*value) + "\n";

  r += "Health: ";
  switch (health) {
    case kHealthPassed: r += "Passed\n"; break;
    case kHealthFailing: r += "Failing\n"; break;
    case kHealthFailed: r += "Failed\n"; break;
    default: r += "Unknown\n"; break;
  }
  r += "Overall Health: " + orNotSet(overallHealth) + "\n";

  r += format("Offline Data Status: %X\n", offlineDataStatus);
  r += format("Self Test Status: %d\n", selftestStatus);
  r += format("Offline Data Collection Time: %d\n", timeOfflineData);
  r += format("Data Collection Capabilities: %X\n", dataCapabilities);
  r += format("SMART Capabilities: %X\n", smartCapabilities);
  r += format("Error Logging Capabilities: %X\n", errorLoggingCapabilities);
  r += format("Short Self Test Time: %d\n", shortSelftestTime);
  r += format("Long Self Test Time: %d\n", longSelftestTime);
  r += format("Conveyance Self Test Time: %d\n", conveyanceSelftestTime);
  r += format("Attribute Log Revision: %d\n", attributeRevision);
  r += format("Attribute Count: %d\n", attributeCount);

  r += "Attributes:\n";
  r += "ID#   ATTRIBUTE NAME                         FLAG       VALUE   WORST   THRESH  TYPE         ";
  r += "UPDATED     FAILED    RAW VALUE\n";
  if (attributes)
    for (const KRSMARTAttribute& a : *attributes) r += a.description() + "\n";

  r += format("Error Log Version: %d\n", errorLogVersion);
  r += format("Error Count: %d\n", errorCount);
  r += "Error Log: \n";
  if (!errorLog || errorLog->empty()) {
    r += "No errors logged.\n";
  } else {
    for (const KRSMARTErrorLog& e : *errorLog) r += e.description() + "\n";
  }

  r += format("Self Test Log Revision: %d\n", selfTestLogRevision);
  r += format("Self Test Log Count: %lu", selfTestCount) + "\n";
  r += "Self Test Log:\n\n";
  if (selfTestLog && !selfTestLog->empty()) {
    r += "Num  Test_Description    Status                   Remaining  LifeTime(hours)  LBA_of_first_error\n";
    for (KRSMARTSelfTestLog& t : *selfTestLog) r += t.description() + "\n";
  } else {
    r += "No self tests logged.\n\n";
  }
  return r;
}

// An absent name, type or updated text (a line that was no attribute row)
// prints as empty text, padded like a present one, so the columns still line up.
std::string KRSMARTAttribute::description() const {
  const bool french = platform::current().strings->preferredLocalization() == "French";
  std::string r = format("%-3d   ", idNumber);
  r += padded(name.value_or(""), french ? 90 : 39);
  r += format("0x%04X     ", flag);
  r += format("%03ld     ", value);
  r += format("%03ld     ", worst);
  r += format("%03ld     ", thresh);
  const std::string typeText = type.value_or("");
  r += typeText + (typeText.starts_with("O") ? " " : "") + "     ";
  const std::string updatedText = updated.value_or("");
  r += updatedText + (updatedText.starts_with("A") ? " " : "") + "     ";
  switch (failed) {
    case 1: r += "Never     "; break;
    case 2: r += "FAILING NOW     "; break;
    case 3: r += "In the past     "; break;
    default: break;
  }
  r += format("%lld", raw);
  if (temperatureAvailable) r += format(" (Lifetime Min/Max %ld/%ld)", min, max);
  return r;
}

// Absent texts of a log record (a row smartctl did not print in full)
// print as empty text.
std::string KRSMARTErrorCommand::description() const {
  return format("%02X %02X %02X %02X %02X %02X %02X %02X      %@  %@\n", registerCR, registerFR, registerSC, registerSN,
                registerCL, registerCH, registerDH, registerDC, powerUpTime.value_or(""), command.value_or(""));
}

std::string KRSMARTErrorLog::description() const {
  std::string r = format("Error %d occured at disk power-on lifetime: %d hours\n", number, time);
  r += format("  When the command that caused the error occurred, %@\n", activity.value_or(""));
  r += "  After command completion occurred, registers were:\n";
  r += "  ER ST SC SN CL CH DH\n";
  r += "  -- -- -- -- -- -- --\n";
  r += format("  %02X %02X %02X %02X %02X %02X %02X\n", registerER, registerST, registerSC, registerSN, registerCL,
              registerCH, registerDH);
  if (error2 >= 1 && sectors >= 1)
    r += format("  Error: %@, %@ with %d sectors at LBA = %llX\n", getError1(), getError2(), sectors, lba);
  else if (error2 >= 1)
    r += format("  Error: %@, %@\n", getError1(), getError2());
  else if (sectors >= 1)
    r += format("  Error: %@  with %d sectors at LBA = %llX\n", getError1(), sectors, lba);
  else
    r += format("  Error: %@\n", getError1());
  r += "  Commands leading to the command that caused the error were:\n";
  r += "  CR FR SC SN CL CH DH DC   Powered_Up_Time  Command/Feature_Name\n";
  r += "  -- -- -- -- -- -- -- --  ----------------  --------------------\n";
  if (errorCommands)
    for (const KRSMARTErrorCommand& c : *errorCommands) r += "  " + c.description();
  return r;
}

std::string KRSMARTSelfTestLog::description() {
  std::string r = format("#%2i", number);
  if (!type) type = "Unknown type";
  r += "  " + padded(*type, 18);
  if (!status) status = "Unknown type";
  r += "  " + *status;
  r += format("%10d%%", remaining);
  r += format("     %5i", lifetime);
  r += lba < 0 ? std::string("         -") : format("         %i", lba);
  return r;
}

std::string KRSMARTErrorLog::errorTypeToString(int32_t code) {
  static const std::pair<const char*, const char*> kTexts[] = {
      {"ABORT", "Command Aborted"},   {"AMNF", "Address Mark Not Found"}, {"CTO", "Command Timed Out"},
      {"EOM", "End Of Media"},        {"ICRC", "Interface CRC error"},     {"IDNF", "Identity Not Found"},
      {"ILI", "ILI"},                 {"MC", "Media Changed"},             {"MCR", "Media Change Request"},
      {"NM", "No Media"},             {"OBS", "Obsolete"},                 {"TK0NF", "TracK 0 Not Found"},
      {"UNC", "Uncorrectable Error"}, {"WP", "Write Protected"},
  };
  constexpr int32_t kCount = static_cast<int32_t>(std::size(kTexts));
  if (code < 1 || code > kCount) return platform::localized("Main", "UNK", "Unknown");
  const auto& [key, text] = kTexts[code - 1];
  return platform::localized("Main", key, text);
}

std::optional<std::string> KRSMARTErrorLog::getLastErrorCommand() const {
  // An entry without command rows has no last command.
  if (!errorCommands || errorCommands->empty()) return std::nullopt;
  return errorCommands->front().getCommand();
}
