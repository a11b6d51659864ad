#include "app/cli/KindDetails.h"

#include <cstdio>

namespace cli {

namespace {

template <typename T>
Json value(const std::optional<T>& v) {
  return v ? Json(*v) : Json(nullptr);
}

Json nvmeJson(const nvme::Report& r) {
  const nvme::HealthLog& h = r.health;
  Json errors = Json::array();
  for (const nvme::ErrorLogEntry& e : r.errors.entries)
    errors.push_back({{"number", e.number}, {"errorCount", e.errorCount}, {"status", e.status}, {"lba", e.lba},
                      {"message", e.message}});
  Json tests = Json::array();
  for (const nvme::SelfTestEntry& t : r.selfTests.entries)
    tests.push_back({{"number", t.number}, {"type", t.type}, {"status", t.status},
                     {"powerOnHours", value(t.powerOnHours)}, {"failingLba", value(t.failingLba)},
                     {"failed", t.failed}});
  const char* verdict = r.verdict.result == nvme::HealthVerdict::Result::Passed   ? "PASSED"
                        : r.verdict.result == nvme::HealthVerdict::Result::Failed ? "FAILED"
                                                                                   : nullptr;
  return {{"nvmeVersion", value(r.identity.nvmeVersion)},
          {"healthVerdict", verdict ? Json(verdict) : Json(nullptr)},
          {"healthExplanations", r.verdict.explanations},
          {"healthLog",
           {{"read", h.present},
            {"criticalWarning", value(h.criticalWarning)},
            {"temperature", value(h.temperature)},
            {"availableSpare", value(h.availableSpare)},
            {"availableSpareThreshold", value(h.availableSpareThreshold)},
            {"percentageUsed", value(h.percentageUsed)},
            {"dataUnitsRead", value(h.dataUnitsRead)},
            {"dataUnitsWritten", value(h.dataUnitsWritten)},
            {"powerCycles", value(h.powerCycles)},
            {"powerOnHours", value(h.powerOnHours)},
            {"unsafeShutdowns", value(h.unsafeShutdowns)},
            {"mediaErrors", value(h.mediaErrors)},
            {"errorLogEntries", value(h.errorLogEntries)}}},
          {"errorLog", {{"read", r.errors.present && !r.errors.readFailure}, {"entries", std::move(errors)}}},
          {"selfTestLog",
           {{"read", r.selfTests.present && !r.selfTests.readFailure},
            {"supported", !r.selfTests.notSupported},
            {"currentStatus", value(r.selfTests.currentStatus)},
            {"percentCompleted", value(r.selfTests.percentCompleted)},
            {"entries", std::move(tests)}}}};
}

Json scsiJson(const scsi::Report& r) {
  const scsi::Counters& c = r.counters;
  Json rows = Json::object();
  for (const scsi::ErrorCounterRow& e : r.errors.rows)
    rows[e.name] = {{"corrected", value(e.totalCorrected)}, {"uncorrected", value(e.uncorrected)},
                    {"gigabytesProcessed", e.gigabytesProcessed}};
  Json tests = Json::array();
  for (const scsi::SelfTestEntry& t : r.selfTests.entries)
    tests.push_back({{"number", t.number}, {"description", t.description}, {"status", t.status},
                     {"segment", t.segment}, {"powerOnHours", value(t.lifetimeHours)},
                     {"firstErrorLba", t.firstErrorLba}, {"failed", t.failed}});
  return {{"vendor", value(r.identity.vendor)},
          {"product", value(r.identity.product)},
          {"revision", value(r.identity.revision)},
          {"transport", value(r.identity.transport)},
          {"healthStatus", r.health.present ? Json(r.health.text) : Json(nullptr)},
          {"temperature", value(c.temperature)},
          {"tripTemperature", value(c.tripTemperature)},
          {"powerOnHours", value(c.powerOnHours)},
          {"startStopCycles", value(c.startStopCycles)},
          {"loadUnloadCycles", value(c.loadUnloadCycles)},
          {"grownDefects", value(c.grownDefects)},
          {"errorCounterLog",
           {{"read", r.errors.present}, {"rows", std::move(rows)}, {"nonMediumErrors", value(r.errors.nonMediumErrors)}}},
          {"selfTestLog", {{"supported", !r.selfTests.notSupported}, {"entries", std::move(tests)}}}};
}

std::string hexByte(uint32_t v) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", v & 0xFFu);
  return hex;
}

std::string number(const std::optional<uint64_t>& n) { return n ? std::to_string(*n) : std::string(); }

}  // namespace

Json kindJson(const KRSMARTDrive& drive) {
  if (const nvme::Report* r = drive.driveNVMe()) return {{"nvme", nvmeJson(*r)}};
  if (const scsi::Report* r = drive.driveSCSI()) return {{"scsi", scsiJson(*r)}};
  return Json::object();
}

Json kindCounters(const KRSMARTDrive& drive) {
  auto orMinus = [](const auto& v) { return v ? static_cast<int64_t>(*v) : int64_t{-1}; };
  if (const nvme::Report* r = drive.driveNVMe())
    return {{"powerOnHours", orMinus(r->health.powerOnHours)}, {"temperature", orMinus(r->health.temperature)}};
  if (const scsi::Report* r = drive.driveSCSI())
    return {{"powerOnHours", orMinus(r->counters.powerOnHours)}, {"temperature", orMinus(r->counters.temperature)}};
  return Json::object();
}

std::vector<std::string> kindDetails(const KRSMARTDrive& drive) {
  std::vector<std::string> lines;
  auto add = [&](const std::string& label, const std::string& value) {
    if (!value.empty()) lines.push_back(label + ": " + value);
  };
  if (const nvme::Report* r = drive.driveNVMe()) {
    const nvme::HealthLog& h = r->health;
    auto percent = [](const std::optional<int32_t>& p) { return p ? std::to_string(*p) + "%" : std::string(); };
    lines.push_back("Kind: NVMe");
    add("NVMe version", r->identity.nvmeVersion.value_or(""));
    if (h.criticalWarning) add("Critical warning", hexByte(*h.criticalWarning));
    if (h.temperature) add("Temperature", std::to_string(*h.temperature) + " Celsius");
    if (h.availableSpare)
      add("Available spare", percent(h.availableSpare) +
                                 (h.availableSpareThreshold ? " (threshold " + percent(h.availableSpareThreshold) + ")"
                                                            : std::string()));
    add("Percentage used", percent(h.percentageUsed));
    add("Power-on hours", number(h.powerOnHours));
    add("Unsafe shutdowns", number(h.unsafeShutdowns));
    add("Media and data integrity errors", number(h.mediaErrors));
    add("Error log entries", number(h.errorLogEntries));
    if (!r->selfTests.entries.empty())
      add("Newest self-test", r->selfTests.entries.front().type + ": " + r->selfTests.entries.front().status);
  } else if (const scsi::Report* r = drive.driveSCSI()) {
    const scsi::Counters& c = r->counters;
    lines.push_back("Kind: SCSI");
    add("Transport", r->identity.transport.value_or(""));
    add("Health status", r->health.present ? r->health.text : "");
    if (c.temperature)
      add("Temperature", std::to_string(*c.temperature) + " Celsius" +
                             (c.tripTemperature ? " (trip " + std::to_string(*c.tripTemperature) + " Celsius)" : ""));
    add("Power-on hours", number(c.powerOnHours));
    add("Start-stop cycles", number(c.startStopCycles));
    add("Grown defects", number(c.grownDefects));
    for (const char* name : {"read", "write", "verify"})
      if (auto n = r->errors.uncorrected(name)) add(std::string("Uncorrected ") + name + " errors", std::to_string(*n));
    add("Non-medium errors", number(r->errors.nonMediumErrors));
    if (!r->selfTests.entries.empty())
      add("Newest self-test", r->selfTests.entries.front().description + ": " + r->selfTests.entries.front().status);
  }
  return lines;
}

}  // namespace cli
