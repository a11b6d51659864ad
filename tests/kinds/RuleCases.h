// What the NVMe and SCSI rule tables share: the preferences and reasons a
// case of tests/kinds/rules.txt names.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "logs/Findings.h"
#include "logs/KindFindings.h"
#include "tests/CaseFile.h"

namespace kinds_test {

using Counts = std::map<std::string, int64_t>;

// "remember", "limit=N" and "wear=N" as the preferences they stand for.
inline logs::Settings settings(const std::string& field) {
  logs::Settings s;
  for (const std::string& word : testing_support::split(field, " ")) {
    if (word == "remember") s.rememberBadSectors = true;
    if (word.starts_with("limit=")) {
      s.customBadSectorCount = true;
      s.customBadSectorCountValue = std::stoll(word.substr(6));
    }
    if (word.starts_with("wear=")) s.nvmeWearLimit = std::stoll(word.substr(5));
  }
  return s;
}

inline std::string keys(const std::vector<kinds::Reason>& reasons) {
  std::string out;
  for (const kinds::Reason& r : reasons) out += (out.empty() ? "" : " ") + r.key;
  return out.empty() ? "-" : out;
}

}  // namespace kinds_test
