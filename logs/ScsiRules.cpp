#include "logs/ScsiRules.h"

#include <cstdint>

namespace scsi {

namespace {

int64_t asCount(uint64_t n) { return n > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(n); }

}  // namespace

kinds::Findings evaluate(const Report& r, const kinds::KindSettings& settings,
                         const kinds::RememberedCounts& remembered) {
  using kinds::Verdict;
  kinds::Findings f;
  if (r.health.present) {
    f.verdict = Verdict::Passed;
    if (!r.health.ok) f.raise(Verdict::Failed, {"SCSIHealthStatus", "%@", {r.health.reasonText()}});
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
  if (f.verdict == Verdict::Unknown)
    f.reasons.push_back({"SCSINoHealthStatus", "smartctl gave no SCSI health status", {}});
  return f;
}

}  // namespace scsi
