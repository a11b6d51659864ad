// The drive's output field helpers: a value or a range failure, nothing else.
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzz::platformOnce();
  const std::string text = fuzz::body(data, size);
  try {
    (void)KRSMARTDrive::parseLine(text);
  } catch (const platform::Exception&) {
  }
  try {
    (void)KRSMARTDrive::convertStringToHex(text);
  } catch (const platform::Exception&) {
  }
  try {
    (void)KRSMARTDrive::convertStringToInt(text, data[0] & 1);
  } catch (const platform::Exception&) {
  }
  return 0;
}
