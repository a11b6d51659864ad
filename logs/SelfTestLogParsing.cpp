// The SMART self-test log: its entries, and the rule that judges the drive
// by a failed test in it.
#include <string_view>

#include "engine/KRSMARTDrive.h"
#include "logs/TextScanner.h"
#include "platform/Platform.h"

namespace {

bool contains(const std::string& s, std::string_view what) { return s.find(what) != std::string::npos; }
bool beginsWith(const std::string& s, std::string_view what) { return s.compare(0, what.size(), what) == 0; }

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

}  // namespace

void KRSMARTDrive::parseSelftestLog() {
  argumentCode = kArgSelfTestLog;
  std::optional<OutputLines> lines = runSMARTbinary(false);
  if (!lines) {
    debug("Error parsing self test log.");
    return;
  }
  parseSelftestLogLines(*lines);
}

void KRSMARTDrive::parseSelftestLogLines(const OutputLines& lines) {
  debug("Parsing self test log.");
  selfTestLog.emplace();
  selfTestCount = 0;

  bool revisionFound = false;
  for (const std::string& line : lines) {
    if (!revisionFound) {
      // smartctl refusing because SMART is off is taken as a self-test
      // keeping the drive busy.
      if (contains(line, "Disabled")) {
        debug("SMART Disabled. Re-enabling may cause test to fail. Initiating protective measures.");
        platform::prefs().setInteger("TestsInProgress", platform::prefs().integerForKey("TestsInProgress") + 1);
        testInProgress = true;
      }
      if (!contains(line, kRevisionLabel)) continue;
      selfTestLog->clear();
      selfTestLogRevision = convertStringToInt(line.substr(kRevisionLabel.size()), false);
      revisionFound = true;
      debug("Found SMART self test log revision.");
    }
    if (beginsWith(line, "No self-tests have been logged")) {
      selfTestLog.reset();
      debug("Done parsing self test log.");
      return;
    }
    if (beginsWith(line, "#")) {
      debug("Found self test log entry.");
      selfTestLog->push_back(parseSelfTestRow(line));
    }
  }

  applyTestLogRule();
  selfTestCount = selfTestLog->size();
  debug("Done parsing self test log.");
}

void KRSMARTDrive::applyTestLogRule() {
  testsFail = false;
  newTestFail = false;
  for (const KRSMARTSelfTestLog& entry : *selfTestLog) {
    const std::string& status = entry.getStatus().value_or("");
    if (contains(status, "failure") || contains(status, "Fatal") || contains(status, "damage")) testsFail = true;
  }

  platform::Preferences& prefs = platform::prefs();
  const std::string key = rememberedKey("_LastTestPowerOnHours");
  const int64_t last = prefs.boolForKey("FailedTestIsNew") ? prefs.integerForKey(key) : -1;
  const int64_t logHour = selfTestLog->empty() ? 0 : selfTestLog->back().getLifetime();
  if (last < logHour && testsFail && health != kHealthFailed) {
    health = kHealthFailing;
    newTestFail = true;
    addFailureReasonsString("Tests with errors");
    debug("Found tests with errors!!");
  }
  prefs.setInteger(key, logHour);
}

void KRSMARTDrive::parseSelectiveLog() {
  argumentCode = kArgSelectiveLog;
  if (!runSMARTbinary(false)) debug("Error parsing selective test log.");
}

int32_t KRSMARTDrive::driveLastTestTime() const {
  if (!selfTestLog || selfTestLog->empty()) return -1;
  return selfTestLog->front().getLifetime();
}

std::optional<std::string> KRSMARTDrive::driveLastTestStatus() const {
  if (!selfTestLog || selfTestLog->empty()) return std::nullopt;
  const KRSMARTSelfTestLog& first = selfTestLog->front();
  const KRSMARTSelfTestLog& last = selfTestLog->back();
  return first.getLifetime() < last.getLifetime() ? last.getStatus() : first.getStatus();
}

std::optional<KRSMARTSelfTestLog> KRSMARTDrive::driveSelfTestLog(uint64_t index) const {
  if (!selfTestLog || index >= selfTestLog->size()) return std::nullopt;
  return (*selfTestLog)[index];
}
