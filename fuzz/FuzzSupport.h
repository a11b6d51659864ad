// What every fuzz target shares: an in-memory platform, preferences chosen
// by the input's first byte so that every rule branch gets its turn, and
// the one failure the parsers may raise on bad text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/KRSMARTDrive.h"
#include "platform/Exception.h"
#include "platform/memory/MemoryPlatform.h"

namespace fuzz {

inline platform::memory::MemoryPlatform& platformOnce() {
  static platform::memory::MemoryPlatform mem = [] {
    platform::memory::MemoryPlatform m = platform::memory::makePlatform();
    platform::install(m.platform);
    return m;
  }();
  return mem;
}

// Sets the preferences the log rules read from the bits of `bits`, and the
// language that widens the report's name column.
inline void choosePreferences(uint8_t bits) {
  platform::memory::MemoryPlatform& mem = platformOnce();
  platform::Preferences& p = *mem.platform.preferences;
  p.setBool("DisplayTempInFahrenheit", bits & 1);
  p.setBool("IgnoreAttribute190", bits & 2);
  p.setBool("IgnoreAttribute196", bits & 4);
  p.setBool("RememberBadSectors", bits & 8);
  p.setBool("CustomBadSectorCount", bits & 16);
  p.setInteger("CustomBadSectorCountValue", bits >> 5);
  p.setBool("RememberErrorCount", bits & 32);
  p.setBool("CustomErrorCount", bits & 64);
  p.setInteger("CustomErrorCountValue", bits & 7);
  p.setBool("FailedTestIsNew", bits & 128);
  mem.strings->language = (bits & 3) == 3 ? "French" : "English";
  mem.log->clear();
}

// The input without its first byte, which chose the preferences.
inline std::string body(const uint8_t* data, size_t size) {
  return size ? std::string(reinterpret_cast<const char*>(data) + 1, size - 1) : std::string();
}

}  // namespace fuzz
