#include "logs/ScsiRules.h"

#include <cstdint>

namespace scsi {

namespace {

int64_t asCount(uint64_t n) { return n > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(n); }

}  // namespace

kinds::Findings evaluate(const Report& r, const logs::Settings& settings, logs::Remembered& remembered) {
  kinds::Findings f;
  if (r.health.present) {
    f.health = logs::kHealthPassed;
    if (!r.health.ok) f.raise(logs::kHealthFailed, {"SCSIHealthStatus", "%@", {r.health.reasonText()}});
  }
  if (r.counters.grownDefects)
    kinds::judgeErrorCount(asCount(*r.counters.grownDefects), kGrownDefectCountSuffix,
                           {"SCSIGrownDefects", "Too many grown defects", {}}, settings, remembered, f);
  struct Row {
    const char* name;
    const char* suffix;
    const char* key;
    const char* text;
  };
  static const Row kRows[] = {
      {"read", kUncorrectedReadCountSuffix, "SCSIUncorrectedReadErrors", "Too many uncorrected read errors"},
      {"write", kUncorrectedWriteCountSuffix, "SCSIUncorrectedWriteErrors", "Too many uncorrected write errors"},
      {"verify", kUncorrectedVerifyCountSuffix, "SCSIUncorrectedVerifyErrors", "Too many uncorrected verify errors"},
  };
  for (const Row& row : kRows)
    if (auto n = r.errors.uncorrected(row.name))
      kinds::judgeErrorCount(asCount(*n), row.suffix, {row.key, row.text, {}}, settings, remembered, f);
  if (r.selfTests.notSupported) f.note({"SCSISelfTestsNotSupported", "The drive does not log self-tests", {}});
  if (f.health == logs::kHealthUnknown)
    f.note({"SCSINoHealthStatus", "smartctl gave no SCSI health status", {}});
  return f;
}

}  // namespace scsi
