// The records' own report texts, laid out like smartctl's tables, and the
// texts of error-type codes.
#include "logs/KRSMARTAttribute.h"
#include "logs/KRSMARTErrorLog.h"
#include "logs/KRSMARTSelfTestLog.h"
#include "platform/Format.h"
#include "platform/Platform.h"
#include "platform/Utf8.h"

using platform::format;

namespace {

// Width as the user sees it: localized names are counted in characters
// (UTF-16 units, like the tables' own texts), not in bytes.
size_t displayWidth(const std::string& text) { return platform::utf16Length(text).value_or(text.size()); }

std::string padded(const std::string& text, size_t width) {
  size_t w = displayWidth(text);
  return w < width ? text + std::string(width - w, ' ') : text;
}

}  // namespace

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
    case kNeverFailed: r += "Never     "; break;
    case kFailingNow: r += "FAILING NOW     "; break;
    case kFailedInThePast: r += "In the past     "; break;
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
  else if (error2 >= 1) r += format("  Error: %@, %@\n", getError1(), getError2());
  else if (sectors >= 1) r += format("  Error: %@  with %d sectors at LBA = %llX\n", getError1(), sectors, lba);
  else r += format("  Error: %@\n", getError1());
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
      {"ABORT", "Command Aborted"},
      {"AMNF", "Address Mark Not Found"},
      {"CTO", "Command Timed Out"},
      {"EOM", "End Of Media"},
      {"ICRC", "Interface CRC error"},
      {"IDNF", "Identity Not Found"},
      {"ILI", "ILI"},
      {"MC", "Media Changed"},
      {"MCR", "Media Change Request"},
      {"NM", "No Media"},
      {"OBS", "Obsolete"},
      {"TK0NF", "TracK 0 Not Found"},
      {"UNC", "Uncorrectable Error"},
      {"WP", "Write Protected"},
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
