#include "logs/NvmeRules.h"

#include <string_view>

#include "logs/SmartctlLines.h"

namespace nvme {

namespace {

using kinds::Reason;

// One reason per critical-warning bit, and the words smartctl's "-H" uses for
// the same bit, so that a verdict line and its bit give one reason.
struct WarningBit {
  uint32_t mask;
  const char* key;
  const char* text;
  const char* smartctlLine;
};
constexpr WarningBit kWarningBits[] = {
    {0x01, "NVMeSpareBelowThreshold", "Available spare has fallen below its threshold",
     "available spare has fallen below threshold"},
    {0x02, "NVMeTemperatureWarning", "Temperature is above or below its threshold",
     "temperature is above or below threshold"},
    {0x04, "NVMeReliabilityDegraded", "NVM subsystem reliability has been degraded",
     "NVM subsystem reliability has been degraded"},
    {0x08, "NVMeReadOnly", "Media has been placed in read-only mode", "media has been placed in read only mode"},
    {0x10, "NVMeVolatileBackupFailed", "Volatile memory backup device has failed",
     "volatile memory backup device has failed"},
    {0x20, "NVMePersistentMemoryReadOnly", "Persistent memory region has become read-only or unreliable",
     "persistent memory region has become read-only or unreliable"},
};
constexpr uint32_t kTemperatureBit = 0x02;

Reason bitReason(const WarningBit& bit) { return {bit.key, bit.text, {}}; }

Reason verdictLineReason(const std::string& line) {
  for (const WarningBit& bit : kWarningBits)
    if (smartctl::startsWith(line, bit.smartctlLine)) return bitReason(bit);
  return {"NVMeHealthLine", "%@", {line}};
}

std::string hex2(uint32_t value) {
  static const char* digits = "0123456789abcdef";
  std::string out = "0x";
  out += digits[(value >> 4) & 0xf];
  out += digits[value & 0xf];
  return out;
}

bool hasHealthAnswer(const Report& r) {
  return r.verdict.result != HealthVerdict::Result::None || (r.health.present && r.health.criticalWarning);
}

}  // namespace

kinds::Findings evaluate(const Report& r, const logs::Settings& settings, logs::Remembered& remembered) {
  kinds::Findings f;
  if (hasHealthAnswer(r)) f.health = logs::kHealthPassed;

  // Failed.
  if (r.verdict.result == HealthVerdict::Result::Failed) {
    if (r.verdict.explanations.empty())
      f.raise(logs::kHealthFailed, {"NVMeHealthFailed", "smartctl's health verdict is FAILED", {}});
    for (const std::string& line : r.verdict.explanations) {
      Reason reason = verdictLineReason(line);
      // The temperature line alone makes the drive failing, not failed.
      const bool temperature = reason.key == "NVMeTemperatureWarning";
      f.raise(temperature ? logs::kHealthFailing : logs::kHealthFailed, std::move(reason));
    }
  }
  const HealthLog& h = r.health;
  if (h.criticalWarning) {
    uint32_t known = 0;
    for (const WarningBit& bit : kWarningBits) {
      known |= bit.mask;
      if ((*h.criticalWarning & bit.mask) && bit.mask != kTemperatureBit) f.raise(logs::kHealthFailed, bitReason(bit));
    }
    if (const uint32_t other = *h.criticalWarning & ~known)
      f.raise(logs::kHealthFailed, {"NVMeUnknownCriticalWarning", "Unknown critical warning bits are set (%@)", {hex2(other)}});
  }
  if (h.availableSpare && h.availableSpareThreshold && *h.availableSpare < *h.availableSpareThreshold)
    f.raise(logs::kHealthFailed, bitReason(kWarningBits[0]));

  // Failing, unless already failed: as with the ATA rules, a failed drive
  // lists what failed it.
  const bool failed = [&] { return f.health == logs::kHealthFailed; }();
  if (!failed) {
    if (h.criticalWarning && (*h.criticalWarning & kTemperatureBit)) f.raise(logs::kHealthFailing, bitReason(kWarningBits[1]));
    if (h.percentageUsed && settings.nvmeWearLimit > 0 && *h.percentageUsed >= settings.nvmeWearLimit)
      f.raise(logs::kHealthFailing, {"NVMeWearLimitReached", "Percentage used (%@) has reached the wear limit (%@)",
                                 {std::to_string(*h.percentageUsed) + "%",
                                  std::to_string(settings.nvmeWearLimit) + "%"}});
  }
  if (h.mediaErrors) {
    const int64_t count = *h.mediaErrors > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX
                                                                              : static_cast<int64_t>(*h.mediaErrors);
    kinds::judgeErrorCount(count, kMediaErrorCountSuffix,
                           {"NVMeMediaErrors", "Too many media and data integrity errors", {}}, settings, remembered, f);
  }
  const SelfTestLog& t = r.selfTests;
  if (!failed && !t.entries.empty()) {
    // Entry 0 is the newest; smartctl prints the log newest first.
    const SelfTestEntry* newest = &t.entries.front();
    for (const SelfTestEntry& e : t.entries)
      if (e.number < newest->number) newest = &e;
    if (newest->failed)
      f.raise(logs::kHealthFailing, {"NVMeSelfTestFailed", "Newest self-test failed: %@", {newest->status}});
  }

  // Notes.
  if (t.readFailure) f.note({"NVMeSelfTestLogUnreadable", "The self-test log could not be read: %@", {*t.readFailure}});
  if (t.notSupported) f.note({"NVMeSelfTestsNotSupported", "The drive does not support self-tests", {}});
  if (r.errors.readFailure)
    f.note({"NVMeErrorLogUnreadable", "The error information log could not be read: %@", {*r.errors.readFailure}});

  if (f.health == logs::kHealthUnknown) {
    if (const auto& why = h.readFailure ? h.readFailure : r.verdict.readFailure)
      f.note({"NVMeHealthLogUnreadable", "%@", {*why}});
    else
      f.note({"NVMeNoHealthAnswer", "smartctl gave no NVMe health information", {}});
  }
  return f;
}

}  // namespace nvme
