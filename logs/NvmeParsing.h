// Records of an NVMe drive as smartctl prints them (6.5 and later): the
// identity, the health verdict, the SMART/Health Information log, the error
// information log and the self-test log. Each parser takes the lines of one
// answer ("-i", "-H", "-A", "-l error", "-l selftest") or of a whole "-a"/"-x"
// answer and reads only the lines of its own section.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nvme {

using Lines = std::vector<std::string>;

struct Identity {
  std::optional<std::string> model;            // "Model Number:"
  std::optional<std::string> serialNumber;
  std::optional<std::string> firmwareVersion;
  std::optional<std::string> capacity;         // the bracket: "512 GB"
  std::optional<uint64_t> capacityBytes;
  std::optional<std::string> nvmeVersion;      // "1.4", "<1.2"
  std::optional<std::string> pciVendor;        // "0x144d"
  std::optional<uint32_t> namespaces;
};

// The answer to "-H": smartctl derives it from the critical warning byte.
struct HealthVerdict {
  enum class Result { None, Passed, Failed } result = Result::None;
  std::vector<std::string> explanations;       // the "- ..." lines, without "- "
  std::optional<std::string> readFailure;      // "Read NVMe SMART/Health Information failed: ..."
};

struct HealthLog {
  bool present = false;                        // the "SMART/Health Information" block was printed
  std::optional<uint32_t> criticalWarning;
  std::optional<int32_t> temperature;          // Celsius; absent for "-" (not reported)
  bool temperatureReported = false;            // the label was there, perhaps with "-"
  std::optional<int32_t> availableSpare;       // percent
  std::optional<int32_t> availableSpareThreshold;
  std::optional<int32_t> percentageUsed;
  std::optional<uint64_t> dataUnitsRead;       // units of 512,000 bytes
  std::optional<std::string> dataUnitsReadText;  // the bracket: "24.0 TB"
  std::optional<uint64_t> dataUnitsWritten;
  std::optional<std::string> dataUnitsWrittenText;
  std::optional<uint64_t> powerCycles;
  std::optional<uint64_t> powerOnHours;
  std::optional<uint64_t> unsafeShutdowns;
  std::optional<uint64_t> mediaErrors;         // "Media and Data Integrity Errors:"
  std::optional<uint64_t> errorLogEntries;     // "Error Information Log Entries:"
  std::optional<uint64_t> warningTemperatureMinutes;
  std::optional<uint64_t> criticalTemperatureMinutes;
  std::optional<std::string> readFailure;
};

struct ErrorLogEntry {
  uint32_t number = 0;
  uint64_t errorCount = 0;
  std::string status;                          // "0x4004"
  std::string lba;                             // "-" when not given
  std::string message;                         // smartctl 7.3 and later
};

struct ErrorLog {
  bool present = false;
  bool noErrors = false;                       // "No Errors Logged"
  std::vector<ErrorLogEntry> entries;
  std::optional<std::string> readFailure;      // "Read 1 entries from Error Information Log failed: ..."
};

struct SelfTestEntry {
  uint32_t number = 0;                         // 0 is the newest
  std::string type;                            // "Short", "Extended", "Vendor specific"
  std::string status;                          // "Completed without error", "Completed: failed segments"
  std::optional<uint64_t> powerOnHours;
  std::optional<uint64_t> failingLba;
  bool failed = false;                         // the test itself found the drive at fault
};

struct SelfTestLog {
  bool present = false;                        // "Self-test Log (NVMe Log 0x06...)" was printed
  std::optional<std::string> currentStatus;    // "No self-test in progress", "Short self-test in progress"
  std::optional<int32_t> percentCompleted;     // of the test in progress
  std::vector<SelfTestEntry> entries;
  bool notSupported = false;                   // "Self-tests not supported"
  std::optional<std::string> readFailure;      // "Read Self-test Log failed: ..."
};

Identity parseIdentity(const Lines& lines);
HealthVerdict parseHealthVerdict(const Lines& lines);
HealthLog parseHealthLog(const Lines& lines);
ErrorLog parseErrorLog(const Lines& lines);
SelfTestLog parseSelfTestLog(const Lines& lines);

struct Report {
  Identity identity;
  HealthVerdict verdict;
  HealthLog health;
  ErrorLog errors;
  SelfTestLog selfTests;
};

// Every section of one "-a"/"-x" answer, or of several answers joined.
Report parseReport(const Lines& lines);

}  // namespace nvme
