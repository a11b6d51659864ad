// Shared by the fuzz targets of the NVMe and SCSI parsers: the input's first
// byte picks the settings, the rest is smartctl text split at line feeds as
// printed (CR, empty lines and all).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "logs/KindFindings.h"

namespace fuzz {

inline kinds::KindSettings kindSettings(uint8_t bits) {
  kinds::KindSettings s;
  s.rememberBadSectors = bits & 1;
  s.customBadSectorCount = bits & 2;
  s.customBadSectorCountValue = (bits >> 2) & 7;
  s.nvmeWearLimit = (bits & 32) ? (bits >> 6) * 50 : 100;
  return s;
}

inline kinds::RememberedCounts remembered(uint8_t bits) {
  return {{"_LastMediaErrorCount", bits & 3}, {"_LastGrownDefectCount", (bits >> 2) & 3}};
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
