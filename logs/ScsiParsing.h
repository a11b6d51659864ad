// Records of a SAS/SCSI drive as smartctl prints them: identity, health
// status, the counters "-A" prints (temperature, power-on time, start-stop
// cycles, grown defects), the error counter log and the self-test log. Like
// the NVMe parsers, each reads only its own lines from one answer or from a
// whole "-a"/"-x" answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace scsi {

using Lines = std::vector<std::string>;

struct Identity {
  std::optional<std::string> vendor;
  std::optional<std::string> product;
  std::optional<std::string> revision;
  std::optional<std::string> serialNumber;     // "Serial number:"
  std::optional<std::string> capacity;         // the bracket of "User Capacity:": "12.0 TB"
  std::optional<uint64_t> capacityBytes;
  std::optional<std::string> transport;        // "SAS (SPL-3)"
  std::optional<std::string> rotationRate;
  std::optional<std::string> deviceType;       // "disk"
  std::optional<bool> smartAvailable;          // "SMART support is:" Available / Unavailable
  // Vendor and product, the model a user knows the drive by.
  std::optional<std::string> model() const;
};

struct HealthStatus {
  bool present = false;
  std::string text;                            // "FAILURE PREDICTION THRESHOLD EXCEEDED [asc=5d, ascq=0]"
  bool ok = false;
  // The text without smartctl's sense-code bracket.
  std::string reasonText() const;
};

struct Counters {
  std::optional<int32_t> temperature;          // Celsius
  std::optional<int32_t> tripTemperature;
  std::optional<uint64_t> powerOnHours;        // "Accumulated power on time", else the factory page
  std::optional<uint32_t> powerOnMinutes;
  std::optional<uint64_t> startStopCycles;
  std::optional<uint64_t> specifiedStartStopCycles;
  std::optional<uint64_t> loadUnloadCycles;
  std::optional<uint64_t> grownDefects;        // "Elements in grown defect list:"
  std::optional<int32_t> percentageUsedEndurance;
};

struct ErrorCounterRow {
  std::string name;                            // "read", "write", "verify"
  std::optional<uint64_t> totalCorrected;
  std::string gigabytesProcessed;              // as printed: locale decimal point
  std::optional<uint64_t> uncorrected;
};

struct ErrorCounterLog {
  bool present = false;
  std::vector<ErrorCounterRow> rows;
  std::optional<uint64_t> nonMediumErrors;     // shown, not judged
  std::optional<uint64_t> uncorrected(const std::string& name) const;
};

struct SelfTestEntry {
  uint32_t number = 0;                         // 1 is the newest
  std::string description;                     // "Background long"
  std::string status;                          // "Completed", "Failed in segment"
  std::string segment;                         // "-" or a number
  std::optional<uint64_t> lifetimeHours;
  std::string firstErrorLba;                   // "-" or a number
  std::string sense;                           // "[0x3 0x11 0x0]"
  bool failed = false;
};

struct SelfTestLog {
  bool present = false;
  bool noTests = false;                        // "No self-tests have been logged"
  bool notSupported = false;                   // "Device does not support Self Test logging"
  std::vector<SelfTestEntry> entries;
  std::optional<uint64_t> extendedTestSeconds;
};

Identity parseIdentity(const Lines& lines);
HealthStatus parseHealthStatus(const Lines& lines);
Counters parseCounters(const Lines& lines);
ErrorCounterLog parseErrorCounterLog(const Lines& lines);
SelfTestLog parseSelfTestLog(const Lines& lines);

struct Report {
  Identity identity;
  HealthStatus health;
  Counters counters;
  ErrorCounterLog errors;
  SelfTestLog selfTests;
};

Report parseReport(const Lines& lines);

}  // namespace scsi
