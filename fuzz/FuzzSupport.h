// What every fuzz target shares: parser settings chosen by the input's
// first byte so that every rule branch gets its turn, the one failure the
// parsers may raise on bad text, and an in-memory platform for the records'
// report texts (the parsers need none).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "logs/Findings.h"
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

inline logs::Settings settings(uint8_t bits) {
  logs::Settings s;
  s.displayTempInFahrenheit = bits & 1;
  s.ignoreAttribute190 = bits & 2;
  s.ignoreAttribute196 = bits & 4;
  s.rememberBadSectors = bits & 8;
  s.customBadSectorCount = bits & 16;
  s.customBadSectorCountValue = bits >> 5;
  s.rememberErrorCount = bits & 32;
  s.customErrorCount = bits & 64;
  s.customErrorCountValue = bits & 7;
  s.failedTestIsNew = bits & 128;
  s.outputDebugMessages = bits & 1;
  s.log = [](const std::string&) {};
  return s;
}

// The input without its first byte, which chose the settings.
inline std::string body(const uint8_t* data, size_t size) {
  return size ? std::string(reinterpret_cast<const char*>(data) + 1, size - 1) : std::string();
}

}  // namespace fuzz
