// A whole smartctl answer through one log step (TARVEL_FUZZ_STEP, set by the
// build), then the drive's accessors and report.
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzz::choosePreferences(data[0]);
  OutputLines lines;
  try {
    lines = KRTask::splitLines(fuzz::body(data, size));
  } catch (const platform::Exception&) {
    return 0;  // no line feed: KRTask never hands such output to a step
  }
  KRSMARTDrive drive;
  drive.setDebugState(data[0] & 1);
  try {
    drive.TARVEL_FUZZ_STEP(lines);
  } catch (const platform::Exception&) {
    // the update cycle catches and logs this
  }
  (void)drive.driveTemperature();
  (void)drive.driveLastErrorType();
  (void)drive.driveLastErrorTime();
  (void)drive.driveLastTestTime();
  (void)drive.driveLastTestStatus();
  (void)drive.description();
  // The drive's report stops early without SMART support; print the rows too.
  for (uint64_t i = 0; auto a = drive.driveAttribute(i); ++i) (void)a->description();
  for (const KRSMARTErrorLog& e : drive.driveErrorLogEntries()) (void)e.description();
  for (uint64_t i = 0; auto t = drive.driveSelfTestLog(i); ++i) (void)t->description();
  return 0;
}
