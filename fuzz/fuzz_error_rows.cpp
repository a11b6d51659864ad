// An error-log command row and error words, then their report texts.
#include "fuzz/FuzzSupport.h"
#include "logs/Ata.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzz::platformOnce();
  const std::string text = fuzz::body(data, size);
  KRSMARTErrorCommand command = logs::parseErrorCommandLine(text);
  (void)command.description();
  KRSMARTErrorLog entry;
  entry.setError1(logs::parseErrorType(text));
  entry.setError2(static_cast<int8_t>(data[0]));
  entry.setSectors(static_cast<int8_t>(data[0]));
  entry.setErrorCommands({command});
  (void)entry.description();
  (void)entry.getLastErrorCommand();
  return 0;
}
