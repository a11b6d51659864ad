// Shared by the fuzz targets of the NVMe and SCSI parsers: the input's first
// byte picks the settings, the rest is smartctl text split at line feeds as
// printed (CR, empty lines and all).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "logs/KindFindings.h"

namespace fuzz {

inline logs::Settings kindSettings(uint8_t bits) {
  logs::Settings s;
  s.rememberBadSectors = bits & 1;
  s.customBadSectorCount = bits & 2;
  s.customBadSectorCountValue = (bits >> 2) & 7;
  s.nvmeWearLimit = (bits & 32) ? (bits >> 6) * 50 : 100;
  return s;
}

inline logs::Remembered remembered(uint8_t bits) {
  return logs::Remembered(std::map<std::string, int64_t>{{"_LastMediaErrorCount", bits & 3},
                                                         {"_LastGrownDefectCount", (bits >> 2) & 3}});
}

inline std::vector<std::string> rawLines(const uint8_t* data, size_t size) {
  std::vector<std::string> lines(1);
  for (size_t i = 1; i < size; ++i) {
    if (data[i] == '\n') lines.emplace_back();
    else lines.back() += static_cast<char>(data[i]);
  }
  return lines;
}

inline void touch(const kinds::Findings& f) {
  for (const kinds::Reason& r : f.reasons) (void)r.text();
  for (const kinds::Reason& r : f.notes) (void)r.text();
}

}  // namespace fuzz
