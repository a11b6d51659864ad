// NVMe answers through every parser and the rules, then the drive-kind detector.
#include "fuzz/KindFuzzSupport.h"
#include "logs/DriveKind.h"
#include "logs/NvmeRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::vector<std::string> lines = fuzz::rawLines(data, size);
  const nvme::Report report = nvme::parseReport(lines);
  logs::Remembered remembered = fuzz::remembered(data[0]);
  fuzz::touch(nvme::evaluate(report, fuzz::kindSettings(data[0]), remembered));
  (void)kinds::detectDriveKind(lines);
  (void)kinds::afterSatRetry(lines);
  return 0;
}
