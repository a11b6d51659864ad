// The plain-text report of an NVMe or SAS/SCSI drive, in the layout of the
// ATA report: its own identity, health log and logs, and no ATA lines.
#include "engine/KRSMARTDrive.h"
#include "platform/Format.h"

using platform::format;

namespace {

const char* const kNotSet = "*not set*";

template <typename T>
std::string orNotSet(const std::optional<T>& value) {
  if (!value) return kNotSet;
  if constexpr (std::is_same_v<T, std::string>) return *value;
  else return std::to_string(*value);
}

std::string healthWord(int32_t health) {
  switch (health) {
    case logs::kHealthPassed: return "Passed";
    case logs::kHealthFailing: return "Failing";
    case logs::kHealthFailed: return "Failed";
    default: return "Unknown";
  }
}

// A count with smartctl's bracket: "72474102 [37.1 TB]".
std::string withBracket(const std::optional<uint64_t>& n, const std::optional<std::string>& bracket) {
  if (!n) return kNotSet;
  return std::to_string(*n) + (bracket ? " [" + *bracket + "]" : "");
}

std::string celsius(const std::optional<int32_t>& t) { return t ? std::to_string(*t) + " Celsius" : kNotSet; }

std::string percent(const std::optional<int32_t>& p) { return p ? std::to_string(*p) + "%" : kNotSet; }

// Columns padded to a width, as smartctl lays out its tables.
std::string row(const std::vector<std::pair<std::string, size_t>>& cells) {
  std::string out;
  for (const auto& [text, width] : cells) out += text + std::string(text.size() < width ? width - text.size() : 1, ' ');
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string nvmeReport(const nvme::Report& r, int32_t health) {
  std::string s;
  s += "Kind: NVMe\n";
  s += "Model: " + orNotSet(r.identity.model) + "\n";
  s += "Serial Number: " + orNotSet(r.identity.serialNumber) + "\n";
  s += "Firmware Version: " + orNotSet(r.identity.firmwareVersion) + "\n";
  s += "Capacity: " + orNotSet(r.identity.capacity) + "\n";
  s += "NVMe Version: " + orNotSet(r.identity.nvmeVersion) + "\n";
  s += "Health: " + healthWord(health) + "\n";
  const char* verdict = r.verdict.result == nvme::HealthVerdict::Result::Passed   ? "PASSED"
                        : r.verdict.result == nvme::HealthVerdict::Result::Failed ? "FAILED!"
                                                                                   : kNotSet;
  s += std::string("Overall Health: ") + verdict + "\n";
  for (const std::string& line : r.verdict.explanations) s += "  - " + line + "\n";

  const nvme::HealthLog& h = r.health;
  s += "SMART/Health Information:\n";
  if (h.readFailure) s += *h.readFailure + "\n";
  if (!h.present) {
    s += "Not read.\n";
  } else {
    s += "Critical Warning: " + (h.criticalWarning ? format("0x%02X", *h.criticalWarning) : std::string(kNotSet)) + "\n";
    s += "Temperature: " + (h.temperatureReported && !h.temperature ? std::string("-") : celsius(h.temperature)) + "\n";
    s += "Available Spare: " + percent(h.availableSpare) + "\n";
    s += "Available Spare Threshold: " + percent(h.availableSpareThreshold) + "\n";
    s += "Percentage Used: " + percent(h.percentageUsed) + "\n";
    s += "Data Units Read: " + withBracket(h.dataUnitsRead, h.dataUnitsReadText) + "\n";
    s += "Data Units Written: " + withBracket(h.dataUnitsWritten, h.dataUnitsWrittenText) + "\n";
    s += "Power Cycles: " + orNotSet(h.powerCycles) + "\n";
    s += "Power On Hours: " + orNotSet(h.powerOnHours) + "\n";
    s += "Unsafe Shutdowns: " + orNotSet(h.unsafeShutdowns) + "\n";
    s += "Media and Data Integrity Errors: " + orNotSet(h.mediaErrors) + "\n";
    s += "Error Information Log Entries: " + orNotSet(h.errorLogEntries) + "\n";
  }

  s += "Error Log:\n";
  if (r.errors.readFailure) s += *r.errors.readFailure + "\n";
  if (r.errors.entries.empty()) {
    if (!r.errors.readFailure) s += "No errors logged.\n";
  } else {
    s += row({{"Num", 5}, {"ErrCount", 12}, {"Status", 8}, {"LBA", 14}, {"Message", 0}}) + "\n";
    for (const nvme::ErrorLogEntry& e : r.errors.entries)
      s += row({{std::to_string(e.number), 5}, {std::to_string(e.errorCount), 12}, {e.status, 8}, {e.lba, 14},
                {e.message, 0}}) + "\n";
  }

  const nvme::SelfTestLog& t = r.selfTests;
  s += "Self Test Log:\n";
  if (t.readFailure) s += *t.readFailure + "\n";
  if (t.notSupported) s += "Self-tests not supported.\n";
  if (t.currentStatus)
    s += "Self-test status: " + *t.currentStatus +
         (t.percentCompleted ? format(" (%d%% completed)", *t.percentCompleted) : std::string()) + "\n";
  if (t.entries.empty()) {
    if (!t.readFailure && !t.notSupported) s += "No self tests logged.\n";
  } else {
    s += row({{"Num", 5}, {"Test_Description", 18}, {"Status", 40}, {"Power_on_Hours", 16}, {"Failing_LBA", 0}}) + "\n";
    for (const nvme::SelfTestEntry& e : t.entries)
      s += row({{std::to_string(e.number), 5}, {e.type, 18}, {e.status, 40}, {orNotSet(e.powerOnHours), 16},
                {e.failingLba ? std::to_string(*e.failingLba) : "-", 0}}) + "\n";
  }
  return s;
}

std::string scsiReport(const scsi::Report& r, int32_t health) {
  std::string s;
  s += "Kind: SCSI\n";
  s += "Vendor: " + orNotSet(r.identity.vendor) + "\n";
  s += "Product: " + orNotSet(r.identity.product) + "\n";
  s += "Revision: " + orNotSet(r.identity.revision) + "\n";
  s += "Serial Number: " + orNotSet(r.identity.serialNumber) + "\n";
  s += "Capacity: " + orNotSet(r.identity.capacity) + "\n";
  s += "Transport: " + orNotSet(r.identity.transport) + "\n";
  s += "Rotation Rate: " + orNotSet(r.identity.rotationRate) + "\n";
  s += "Health: " + healthWord(health) + "\n";
  s += "Health Status: " + (r.health.present ? r.health.text : std::string(kNotSet)) + "\n";

  const scsi::Counters& c = r.counters;
  s += "Temperature: " + celsius(c.temperature) + "\n";
  s += "Trip Temperature: " + celsius(c.tripTemperature) + "\n";
  s += "Power On Hours: " + orNotSet(c.powerOnHours) + "\n";
  s += "Start-Stop Cycles: " + orNotSet(c.startStopCycles) +
       (c.specifiedStartStopCycles ? " of " + std::to_string(*c.specifiedStartStopCycles) + " specified" : "") + "\n";
  s += "Load-Unload Cycles: " + orNotSet(c.loadUnloadCycles) + "\n";
  s += "Grown Defects: " + orNotSet(c.grownDefects) + "\n";

  s += "Error Counter Log:\n";
  if (!r.errors.present) {
    s += "Not read.\n";
  } else {
    s += row({{"", 8}, {"Corrected", 14}, {"Gigabytes", 14}, {"Uncorrected", 0}}) + "\n";
    for (const scsi::ErrorCounterRow& e : r.errors.rows)
      s += row({{e.name + ":", 8}, {orNotSet(e.totalCorrected), 14}, {e.gigabytesProcessed, 14},
                {orNotSet(e.uncorrected), 0}}) + "\n";
    s += "Non-medium Errors: " + orNotSet(r.errors.nonMediumErrors) + "\n";
  }

  const scsi::SelfTestLog& t = r.selfTests;
  s += "Self Test Log:\n";
  if (t.notSupported) s += "Self-tests not logged.\n";
  if (t.entries.empty()) {
    if (!t.notSupported) s += "No self tests logged.\n";
  } else {
    s += row({{"Num", 5}, {"Test_Description", 20}, {"Status", 20}, {"Segment", 9}, {"LifeTime(hours)", 17},
              {"LBA_of_first_error", 0}}) + "\n";
    for (const scsi::SelfTestEntry& e : t.entries)
      s += row({{std::to_string(e.number), 5}, {e.description, 20}, {e.status, 20}, {e.segment, 9},
                {orNotSet(e.lifetimeHours), 17}, {e.firstErrorLba, 0}}) + "\n";
  }
  return s;
}

}  // namespace

std::string KRSMARTDrive::kindDescription() const {
  std::string s;
  if (const nvme::Report* r = driveNVMe()) s = nvmeReport(*r, findings.health);
  else if (const scsi::Report* r = driveSCSI()) s = scsiReport(*r, findings.health);
  for (const std::string& note : driveKindNotes()) s += "Note: " + note + "\n";
  return s;
}
