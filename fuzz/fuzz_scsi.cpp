// SAS/SCSI answers through every parser and the rules.
#include "fuzz/KindFuzzSupport.h"
#include "logs/ScsiRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const scsi::Report report = scsi::parseReport(fuzz::rawLines(data, size));
  (void)report.identity.model();
  (void)report.health.reasonText();
  logs::Remembered remembered = fuzz::remembered(data[0]);
  fuzz::touch(scsi::evaluate(report, fuzz::kindSettings(data[0]), remembered));
  return 0;
}
