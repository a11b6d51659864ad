// The SMART self-test log: its entries, and the rule that judges the drive
// by a failed test in it.
#include <string_view>

#include "logs/Ata.h"
#include "logs/FieldHelpers.h"
#include "logs/TextScanner.h"
#include "platform/Text.h"

namespace logs {

using platform::beginsWith;
using platform::contains;

namespace {

constexpr std::string_view kRevisionLabel = "SMART Self-test log structure revision number";

// One "# 1  Short offline  Completed without error  00%  1234  -" row. A
// row cut short before its "%" column is a range failure.
KRSMARTSelfTestLog parseSelfTestRow(const std::string& line) {
  KRSMARTSelfTestLog entry;
  TextScanner scan(line);
  scan.setPosition(1);  // past the "#"

  int32_t number;
  if (scan.scanInt(number)) entry.setNumber(number);

  // smartctl pads the description to column 25, so a word that ends before
  // it is followed by the second word of a two-word description.
  std::string first;
  if (scan.scanUpToBlank(first)) {
    std::string second;
    if (scan.position() < 25 && scan.scanUpToBlank(second)) entry.setType(first + " " + second);
    else entry.setType(first);
  }

  std::string status;
  if (scan.scanUpToDigit(status)) {
    status.erase(status.find_last_not_of(' ') + 1);
    entry.setStatus(status);
  }

  int32_t value;
  if (scan.scanInt(value)) entry.setRemaining(value);
  scan.setPosition(scan.position() + 1);  // over the "%"
  if (scan.scanInt(value)) entry.setLifetime(value);
  entry.setLBA(scan.scanInt(value) ? value : -1);
  return entry;
}

void applyTestLogRule(const std::vector<KRSMARTSelfTestLog>& entries, const Settings& settings, Remembered& remembered,
                      Findings& findings) {
  findings.testsFail = false;
  findings.newTestFail = false;
  for (const KRSMARTSelfTestLog& entry : entries) {
    const std::string& status = entry.getStatus().value_or("");
    if (contains(status, "failure") || contains(status, "Fatal") || contains(status, "damage"))
      findings.testsFail = true;
  }

  const int64_t last = settings.failedTestIsNew ? remembered.last("_LastTestPowerOnHours") : -1;
  const int64_t logHour = entries.empty() ? 0 : entries.back().getLifetime();
  if (last < logHour && findings.testsFail && findings.health != kHealthFailed) {
    findings.health = kHealthFailing;
    findings.newTestFail = true;
    findings.addFailureReason("Tests with errors");
    settings.debug("Found tests with errors!!");
  }
  remembered.remember("_LastTestPowerOnHours", logHour);
}

}  // namespace

void parseAtaSelfTestLog(const OutputLines& lines, const Settings& settings, Remembered& remembered,
                         AtaSelfTestLog& log, Findings& findings, const std::function<void()>& smartDisabled) {
  settings.debug("Parsing self test log.");
  log.entries.emplace();
  log.count = 0;

  bool revisionFound = false;
  for (const std::string& line : lines) {
    if (!revisionFound) {
      // smartctl refusing because SMART is off is taken as a self-test
      // keeping the drive busy.
      if (contains(line, "Disabled")) {
        settings.debug("SMART Disabled. Re-enabling may cause test to fail. Initiating protective measures.");
        if (smartDisabled) smartDisabled();
      }
      if (!contains(line, kRevisionLabel)) continue;
      log.entries->clear();
      log.revision = convertStringToInt(line.substr(kRevisionLabel.size()), false);
      revisionFound = true;
      settings.debug("Found SMART self test log revision.");
    }
    if (beginsWith(line, "No self-tests have been logged")) {
      log.entries.reset();
      settings.debug("Done parsing self test log.");
      return;
    }
    if (beginsWith(line, "#")) {
      settings.debug("Found self test log entry.");
      log.entries->push_back(parseSelfTestRow(line));
    }
  }

  applyTestLogRule(*log.entries, settings, remembered, findings);
  log.count = log.entries->size();
  settings.debug("Done parsing self test log.");
}

}  // namespace logs
