// What the NVMe and SCSI rules hand back to the drive record: a verdict on
// the drive health scale, the reasons for it, notes that judge nothing, and
// the counts to remember until the next check. The rules read a few
// preferences, passed in as settings, and the counts remembered last time.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kinds {

// The drive health scale: 0 unknown, 1 passed, 2 failing, 3 failed.
enum class Verdict : int32_t { Unknown = 0, Passed = 1, Failing = 2, Failed = 3 };

// A reason or note: a string-table key, its English text with "%@" for each
// argument, and the arguments. text() is the English sentence.
struct Reason {
  std::string key;
  std::string format;
  std::vector<std::string> args;
  std::string text() const;
  bool operator==(const Reason&) const = default;
};

// The preferences the rules read: the bad-sector ones that the ATA rules
// read too, and the wear limit of NVMe drives.
struct KindSettings {
  bool rememberBadSectors = false;         // "RememberBadSectors"
  bool customBadSectorCount = false;       // "CustomBadSectorCount"
  int64_t customBadSectorCountValue = 0;   // "CustomBadSectorCountValue"
  int64_t nvmeWearLimit = 100;             // "NVMeWearLimit", percent; 0 or less turns the rule off
};

// Counts remembered at the last check, by key suffix ("_LastMediaErrorCount");
// the caller prefixes the drive's serial number (else its device path).
// An absent suffix reads as 0.
using RememberedCounts = std::map<std::string, int64_t>;

struct CountToRemember {
  std::string suffix;
  int64_t count = 0;
  bool operator==(const CountToRemember&) const = default;
};

struct Findings {
  Verdict verdict = Verdict::Unknown;
  std::vector<Reason> reasons;
  std::vector<Reason> notes;
  std::vector<CountToRemember> remember;

  // Raises the verdict, never lowers it, and adds the reason once.
  void raise(Verdict to, Reason reason);
  void note(Reason reason);
  std::vector<std::string> reasonTexts() const;
};

// The bad-sector count rule of the ATA attributes, for any error count: with
// the registered defaults any count above zero is a finding; with
// "RememberBadSectors" only a count that grew since the last check; with
// "CustomBadSectorCount" the count must also exceed the custom value. A drive
// already failed gets no further reason. The count is remembered either way.
// Unlike the ATA raw values these are true counters, so no upper cap applies.
void judgeErrorCount(int64_t count, const std::string& suffix, Reason reason, const KindSettings& settings,
                     const RememberedCounts& remembered, Findings& findings);

}  // namespace kinds
