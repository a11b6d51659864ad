// The output field helpers: a value or a range failure, nothing else.
#include "fuzz/FuzzSupport.h"
#include "logs/FieldHelpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string text = fuzz::body(data, size);
  try {
    (void)logs::parseLine(text);
  } catch (const platform::Exception&) {
  }
  try {
    (void)logs::convertStringToHex(text);
  } catch (const platform::Exception&) {
  }
  try {
    (void)logs::convertStringToInt(text, data[0] & 1);
  } catch (const platform::Exception&) {
  }
  return 0;
}
