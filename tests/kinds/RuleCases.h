// What the NVMe and SCSI rule tables share: the preferences a row sets and
// the reasons' keys, which the rows compare.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "logs/Findings.h"
#include "logs/KindFindings.h"

namespace kinds_test {

using Counts = std::map<std::string, int64_t>;

// The preferences the rules read, as a table row gives them.
struct Prefs {
  bool rememberBadSectors = false;
  bool customBadSectorCount = false;
  int64_t customBadSectorCountValue = 0;
  int64_t nvmeWearLimit = 100;
  operator logs::Settings() const {
    logs::Settings s;
    s.rememberBadSectors = rememberBadSectors;
    s.customBadSectorCount = customBadSectorCount;
    s.customBadSectorCountValue = customBadSectorCountValue;
    s.nvmeWearLimit = nvmeWearLimit;
    return s;
  }
};

inline std::vector<std::string> keys(const std::vector<kinds::Reason>& reasons) {
  std::vector<std::string> out;
  for (const kinds::Reason& r : reasons) out.push_back(r.key);
  return out;
}

}  // namespace kinds_test
