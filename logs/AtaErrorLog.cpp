// The ATA error log: its entries with their command rows, and the rule that
// judges the drive by its total error count.
#include <string_view>

#include "logs/Ata.h"
#include "logs/FieldHelpers.h"
#include "logs/TextScanner.h"
#include "platform/Text.h"

namespace logs {

using platform::beginsWith;
using platform::contains;

namespace {

constexpr std::string_view kVersionLabel = "SMART Error Log Version:";
constexpr std::string_view kCountLabel = "ATA Error Count:";
constexpr std::string_view kLifetimeLabel = "occurred at disk power-on lifetime:";
constexpr std::string_view kActivityLabel = "When the command that caused the error occurred, ";
constexpr std::string_view kLBALabel = "LBA = ";

// Reads the number at the scan position: hexadecimal when it is written
// with a "0x" prefix, decimal otherwise.
bool scanLBANumber(TextScanner& scan, int64_t& out) {
  const std::string& text = scan.text();
  size_t p = scan.position();
  while (p < text.size() && platform::isBlank(text[p])) ++p;
  if (p + 1 < text.size() && text[p] == '0' && (text[p + 1] == 'x' || text[p + 1] == 'X')) {
    uint64_t hex;
    if (!scan.scanHexLongLong(hex)) return false;
    out = static_cast<int64_t>(hex);
    return true;
  }
  return scan.scanLongLong(out);
}

// The LBA of an error description. smartctl writes it twice, as in
// "at LBA = 0x0000abcd = 43981"; the first form after "LBA = " is read, in
// hexadecimal when it carries "0x". Taking it from the label rather than from
// where the sector count stopped also serves descriptions without a count,
// where that read already swallowed the "0" of "0x". Without the label, the
// next number after the sector count is taken, read the same way.
int64_t readLBA(TextScanner& scan, size_t descriptionStart) {
  int64_t lba = 0;
  size_t at = scan.text().find(kLBALabel, descriptionStart);
  if (at != std::string::npos) {
    scan.setPosition(at + kLBALabel.size());
  } else {
    std::string skipped;
    scan.scanUpToDigit(skipped);
  }
  scanLBANumber(scan, lba);
  return lba;
}

void applyErrorCountRule(int32_t errorCount, const Settings& settings, Remembered& remembered, Findings& findings) {
  const int64_t limit = settings.customErrorCount ? settings.customErrorCountValue : 50;
  if (errorCount > limit && findings.health != kHealthFailed) {
    const int64_t last = settings.rememberErrorCount ? remembered.last("_LastErrorCount") : -1;
    if (last < errorCount) {
      findings.health = kHealthFailing;
      findings.errorsFail = true;
      findings.addFailureReason("Too many drive errors");
      settings.debug("Found too many drive errors!!");
    }
  }
  remembered.remember("_LastErrorCount", errorCount);
}

}  // namespace

int32_t parseErrorType(const std::string& text) {
  // "MCR" goes before "MC", which is part of it.
  static const std::pair<const char*, int32_t> kWords[] = {
      {"ABRT", 1}, {"AMNF", 2}, {"CCTO", 3}, {"EOM", 4},  {"ICRC", 5},   {"IDNF", 6}, {"ILI", 7},
      {"MCR", 9},  {"MC", 8},   {"NM", 10},  {"OBS", 11}, {"TK0NF", 12}, {"UNC", 13}, {"WP", 14},
  };
  for (const auto& [word, code] : kWords)
    if (contains(text, word)) return code;
  return 0;
}

KRSMARTErrorCommand parseErrorCommandLine(const std::string& line) {
  KRSMARTErrorCommand command;
  TextScanner scan(line);
  void (KRSMARTErrorCommand::*const setters[])(uint32_t) = {
      &KRSMARTErrorCommand::setRegisterCR, &KRSMARTErrorCommand::setRegisterFR, &KRSMARTErrorCommand::setRegisterSC,
      &KRSMARTErrorCommand::setRegisterSN, &KRSMARTErrorCommand::setRegisterCL, &KRSMARTErrorCommand::setRegisterCH,
      &KRSMARTErrorCommand::setRegisterDH, &KRSMARTErrorCommand::setRegisterDC,
  };
  for (auto set : setters) {
    uint32_t value;
    if (scan.scanHexInt(value)) (command.*set)(value);
  }
  std::string text;
  if (scan.scanUpToBlank(text)) command.setPowerUpTime(text);
  if (scan.scanRest(text)) command.setCommand(text);
  return command;
}

void parseAtaErrorLog(const OutputLines& lines, const Settings& settings, Remembered& remembered, AtaErrorLog& log,
                      Findings& findings) {
  settings.debug("Parsing error log.");
  log.entries.emplace();
  log.count = 0;

  // Reads the entry whose first line is lines[e] into `entry`; gives the
  // line after its last command row, or nothing when the output ends first.
  auto readEntry = [&](size_t e, KRSMARTErrorLog& entry) -> std::optional<size_t> {
    const std::string& first = lines[e];
    entry.setNumber(convertStringToInt(first.substr(6), false));
    // An entry line or activity line without its label keeps that field
    // unset; the rest of the entry is still worth reading.
    if (size_t at = first.find(kLifetimeLabel); at != std::string::npos)
      entry.setTime(convertStringToInt(first.substr(at + kLifetimeLabel.size()), false));

    if (e + 1 >= lines.size()) return std::nullopt;
    if (size_t at = lines[e + 1].find(kActivityLabel); at != std::string::npos)
      entry.setActivity(lines[e + 1].substr(at + kActivityLabel.size()));

    if (e + 5 >= lines.size()) return std::nullopt;
    TextScanner scan(lines[e + 5]);
    void (KRSMARTErrorLog::*const setters[])(uint32_t) = {
        &KRSMARTErrorLog::setRegisterER, &KRSMARTErrorLog::setRegisterST, &KRSMARTErrorLog::setRegisterSC,
        &KRSMARTErrorLog::setRegisterSN, &KRSMARTErrorLog::setRegisterCL, &KRSMARTErrorLog::setRegisterCH,
        &KRSMARTErrorLog::setRegisterDH,
    };
    for (auto set : setters) {
      uint32_t value;
      if (scan.scanHexInt(value)) (entry.*set)(value);
    }
    const size_t descriptionStart = scan.position();
    std::string errorText;
    if (scan.scanUpToDigit(errorText)) {
      if (errorText.size() >= 8) {
        if (size_t comma = errorText.find(','); comma != std::string::npos) {
          entry.setError2(parseErrorType(errorText.substr(comma + 1)));
          entry.setError1(parseErrorType(errorText.substr(0, comma)));
        } else {
          entry.setError1(parseErrorType(errorText));
        }
      }
      if (!scan.atEnd()) {
        int32_t sectors;
        if (scan.scanInt(sectors)) entry.setSectors(sectors);
        entry.setLBA(readLBA(scan, descriptionStart));
      }
    }

    if (e + 9 > lines.size()) return std::nullopt;
    settings.debug("Reading error commands.");
    std::vector<KRSMARTErrorCommand> commands;
    size_t next = e + 9;
    while (commands.size() < 5) {
      if (next >= lines.size() || contains(lines[next], "Error ")) {
        settings.debug("Less than 5 commands- stopping read.");
        break;
      }
      commands.push_back(parseErrorCommandLine(lines[next]));
      ++next;
    }
    entry.setErrorCommands(std::move(commands));
    return next;
  };

  size_t i = 0;
  while (i < lines.size()) {
    const std::string& line = lines[i];
    if (contains(line, "Error SMART Error Log Read failed")) {
      settings.debug("Error reading SMART Error log.");
      break;
    }
    if (contains(line, kVersionLabel)) {
      log.version = convertStringToInt(line.substr(kVersionLabel.size()), false);
      settings.debug("Found SMART error log version.");
    }
    if (contains(line, kCountLabel)) {
      log.count = convertStringToInt(line.substr(kCountLabel.size()), false);
      settings.debug("Found log count.");
      applyErrorCountRule(log.count, settings, remembered, findings);
    }
    if (!beginsWith(line, "Error ")) {
      ++i;
      continue;
    }
    // The banner and headings come first; an "Error " there is smartctl
    // complaining, not an entry.
    if (i < 5) break;
    settings.debug("Found and reading error.");
    KRSMARTErrorLog entry;
    std::optional<size_t> next = readEntry(i, entry);
    if (!next) {
      settings.debug("Error log truncated- stopping read.");
      break;
    }
    log.entries->push_back(std::move(entry));
    i = *next;
  }
  settings.debug("Done parsing error log.");
}

}  // namespace logs
