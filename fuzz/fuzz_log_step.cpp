// A whole smartctl answer through one ATA parser (TARVEL_FUZZ_STEP, set by
// the build: identity, capabilities, attributes, error log or self-test
// log), then the rows' report texts.
#include "engine/KRTask.h"
#include "fuzz/FuzzSupport.h"
#include "logs/Ata.h"

namespace {

struct Parsed {
  logs::AtaIdentity identity;
  logs::AtaCapabilities capabilities;
  logs::AtaAttributeTable attributes;
  logs::AtaErrorLog errorLog;
  logs::AtaSelfTestLog selfTests;
  logs::Findings findings;
};

void parse(const logs::OutputLines& lines, const logs::Settings& s, logs::Remembered& r, Parsed& p) {
  using namespace logs;
  const std::string step = TARVEL_FUZZ_STEP;
  if (step == "identity") parseAtaIdentity(lines, s, p.identity, [] { return false; });
  if (step == "capabilities") parseAtaCapabilities(lines, s, p.capabilities, p.findings);
  if (step == "attributes") parseAtaAttributes(lines, s, r, p.attributes, p.findings);
  if (step == "error_log") parseAtaErrorLog(lines, s, r, p.errorLog, p.findings);
  if (step == "selftest_log") parseAtaSelfTestLog(lines, s, r, p.selfTests, p.findings, [] {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzz::platformOnce();
  logs::OutputLines lines;
  try {
    lines = KRTask::splitLines(fuzz::body(data, size));
  } catch (const platform::Exception&) {
    return 0;  // no line feed: KRTask never hands such output to a step
  }
  Parsed p;
  p.findings.startCheck();
  logs::Remembered remembered({{"_LastErrorCount", data[0]}, {"_LastTestPowerOnHours", data[0]}});
  try {
    parse(lines, fuzz::settings(data[0]), remembered, p);
  } catch (const platform::Exception&) {
    // the update cycle catches and logs this
  }
  for (const KRSMARTAttribute& a : p.attributes.rows.value_or(std::vector<KRSMARTAttribute>{})) (void)a.description();
  for (const KRSMARTErrorLog& e : p.errorLog.entries.value_or(std::vector<KRSMARTErrorLog>{})) (void)e.description();
  for (KRSMARTSelfTestLog& t : p.selfTests.entries.value_or(std::vector<KRSMARTSelfTestLog>{})) (void)t.description();
  return 0;
}
