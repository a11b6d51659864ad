// What the NVMe and SCSI rules hand back to the drive record: a health on
// the scale every kind of drive shares, the reasons for it, and notes that
// judge nothing. Like the ATA rules they read logs::Settings and leave the
// counts to remember in logs::Remembered.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "logs/Findings.h"

namespace kinds {

// A reason or note: a stable key (tests and scripts go by it), its English
// text with "%@" for each argument, and the arguments. text() is the English
// sentence; like the ATA failure reasons it is not translated, so that the
// JSON output reads the same on every machine.
struct Reason {
  std::string key;
  std::string format;
  std::vector<std::string> args;
  std::string text() const;
  bool operator==(const Reason&) const = default;
};

struct Findings {
  int32_t health = logs::kHealthUnknown;
  std::vector<Reason> reasons;  // why the drive is failing or failed
  std::vector<Reason> notes;    // what is worth knowing but judges nothing, and why the health is unknown

  // Raises the health, never lowers it, and adds the reason once.
  void raise(int32_t to, Reason reason);
  void note(Reason reason);
  std::vector<std::string> reasonTexts() const;
};

// The bad-sector count rule of the ATA attributes, for any error count: with
// the registered defaults any count above zero is a finding; with
// "RememberBadSectors" only a count that grew since the last check; with
// "CustomBadSectorCount" the count must also exceed the custom value. A drive
// already failed gets no further reason. The count is remembered either way.
// Unlike the ATA raw values these are true counters, so no upper cap applies.
void judgeErrorCount(int64_t count, const std::string& suffix, Reason reason, const logs::Settings& settings,
                     logs::Remembered& remembered, Findings& findings);

}  // namespace kinds
