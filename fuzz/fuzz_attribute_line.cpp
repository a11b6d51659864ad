// One attribute row, then its report row.
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzz::choosePreferences(data[0]);
  KRSMARTDrive drive;
  KRSMARTAttribute a = drive.parseAttributeLine(fuzz::body(data, size));
  (void)a.description();
  return 0;
}
