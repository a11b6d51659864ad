// The parsers and rules of ATA drives: free functions over the lines of one
// smartctl answer. Each fills the record it is given and raises the drive's
// findings. A line cut short is a range failure (platform::Exception); what
// was read before it stays in the record and the findings, as the update
// cycle expects of a failing step.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "logs/Findings.h"
#include "logs/KRSMARTAttribute.h"
#include "logs/KRSMARTErrorLog.h"
#include "logs/KRSMARTSelfTestLog.h"
#include "logs/OutputLines.h"

namespace logs {

// ---- Overall health ("smartctl -H"): health passed, failed or unknown,
// and the text after "result: ".
void parseAtaHealth(const OutputLines& lines, const Settings& settings, std::optional<std::string>& overallHealth,
                    Findings& findings);

// ---- Identity ("smartctl -i").
struct AtaIdentity {
  std::optional<std::string> modelFamily;
  std::optional<std::string> model;
  std::optional<std::string> serialNumber;
  std::optional<std::string> firmwareVersion;
  std::optional<std::string> capacity;    // as between the brackets: "500 GB"
  std::optional<std::string> ataVersion;  // the major version: "8"
  std::optional<std::string> sataVersion;
  std::optional<std::string> rotationRate;
};

// Fills only the fields still absent: the first value a drive record sees
// stays. For each line after the ATA version that says SMART is disabled,
// `reenableSMART` runs and tells whether SMART is on again.
void parseAtaIdentity(const OutputLines& lines, const Settings& settings, AtaIdentity& identity,
                      const std::function<bool()>& reenableSMART);

// ---- General SMART values ("smartctl -c").
struct AtaCapabilities {
  uint32_t offlineDataStatus = 0;
  int32_t selftestStatus = 0;
  int32_t timeOfflineData = 0;  // seconds
  uint32_t dataCapabilities = 0;
  uint32_t smartCapabilities = 0;
  uint32_t errorLoggingCapabilities = 0;
  bool generalPurposeLogging = false;
  int32_t shortSelftestTime = 0;  // minutes
  int32_t longSelftestTime = 0;
  int32_t conveyanceSelftestTime = 0;
};

// A self-test execution status that reports a failed test makes the drive
// failing (unless "FailedTestIsNew" leaves that to the self-test log).
void parseAtaCapabilities(const OutputLines& lines, const Settings& settings, AtaCapabilities& capabilities,
                          Findings& findings);

// ---- Attribute table ("smartctl -A").
struct AtaAttributeTable {
  int32_t revision = 0;
  int32_t count = 0;
  std::optional<std::vector<KRSMARTAttribute>> rows;
  // The raw value of the first row with this number, -1 when there is none.
  int64_t rawValue(int32_t number) const;
};

KRSMARTAttribute parseAttributeLine(const std::string& line, const Settings& settings);
// Replaces the table. Failing and failed-in-the-past rows and growing
// bad-sector counts (remembered as "_LastReallocatedSectorCount",
// "_LastReallocatedEventCount", "_LastCurrentSectorCount",
// "_LastOfflineSectorCount") raise the findings.
void parseAtaAttributes(const OutputLines& lines, const Settings& settings, Remembered& remembered,
                        AtaAttributeTable& table, Findings& findings);

// ---- ATA error log ("smartctl -l error").
struct AtaErrorLog {
  int32_t version = 0;
  int32_t count = 0;  // the drive's total, beyond the entries it keeps
  std::optional<std::vector<KRSMARTErrorLog>> entries;
};

// The error-type code of the first error word in `text` (0 for none).
int32_t parseErrorType(const std::string& text);
KRSMARTErrorCommand parseErrorCommandLine(const std::string& line);
// Replaces the log. A total above the limit that grew since it was
// remembered as "_LastErrorCount" makes the drive failing.
void parseAtaErrorLog(const OutputLines& lines, const Settings& settings, Remembered& remembered, AtaErrorLog& log,
                      Findings& findings);

// ---- Self-test log ("smartctl -l selftest").
struct AtaSelfTestLog {
  int32_t revision = 0;
  uint64_t count = 0;
  std::optional<std::vector<KRSMARTSelfTestLog>> entries;
};

// Replaces the log. A failed test newer than the power-on hour remembered
// as "_LastTestPowerOnHours" makes the drive failing. `smartDisabled` runs
// for each line before the log that says SMART is disabled.
void parseAtaSelfTestLog(const OutputLines& lines, const Settings& settings, Remembered& remembered,
                         AtaSelfTestLog& log, Findings& findings, const std::function<void()>& smartDisabled);

}  // namespace logs
