// One attribute row, then its report row.
#include "fuzz/FuzzSupport.h"
#include "logs/Ata.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The report row reads the language: French widens the name column.
  platform::memory::MemoryPlatform& mem = fuzz::platformOnce();
  mem.strings->language = (data[0] & 3) == 3 ? "French" : "English";
  KRSMARTAttribute a = logs::parseAttributeLine(fuzz::body(data, size), fuzz::settings(data[0]));
  (void)a.description();
  return 0;
}
