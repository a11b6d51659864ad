// The plain-text report of a drive, laid out like smartctl's own tables.
#include "engine/KRSMARTDrive.h"
#include "platform/Format.h"

using platform::format;

namespace {

const char* const kNotSet = "*not set*";

std::string orNotSet(const std::optional<std::string>& text) { return text ? *text : kNotSet; }

}  // namespace

std::string KRSMARTDrive::description() {
  std::string r;
  r += "location: " + orNotSet(location) + "\n";
  r += format("partition count: %lu", partitionCount) + "\n";
  if (partitionCount != 0) {
    r += "partitions: ";
    for (const std::string& name : partitionNames.value_or(std::vector<std::string>{})) r += name + ", ";
  }
  r += "\n";
  r += std::string("SMART Support: ") + (smartSupport ? "Supported" : "Unsupported") + "\n";
  r += "Last SMART Error: " + orNotSet(smartError);
  if (!smartSupport) return r;
  r += "\n";
  if (isOtherKind()) return r + kindDescription();

  const std::pair<const char*, const std::optional<std::string>*> texts[] = {
      {"Model Family: ", &identity.modelFamily},   {"Model: ", &identity.model},
      {"Serial Number: ", &identity.serialNumber}, {"Firmware Version: ", &identity.firmwareVersion},
      {"Capacity: ", &identity.capacity},          {"ATA Version: ", &identity.ataVersion},
      {"SATA Version: ", &identity.sataVersion},   {"Rotation Rate: ", &identity.rotationRate},
  };
  for (const auto& [label, value] : texts) r += label + orNotSet(*value) + "\n";

  r += "Health: ";
  switch (findings.health) {
    case logs::kHealthPassed: r += "Passed\n"; break;
    case logs::kHealthFailing: r += "Failing\n"; break;
    case logs::kHealthFailed: r += "Failed\n"; break;
    default: r += "Unknown\n"; break;
  }
  r += "Overall Health: " + orNotSet(overallHealth) + "\n";

  r += format("Offline Data Status: %X\n", capabilities.offlineDataStatus);
  r += format("Self Test Status: %d\n", capabilities.selftestStatus);
  r += format("Offline Data Collection Time: %d\n", capabilities.timeOfflineData);
  r += format("Data Collection Capabilities: %X\n", capabilities.dataCapabilities);
  r += format("SMART Capabilities: %X\n", capabilities.smartCapabilities);
  r += format("Error Logging Capabilities: %X\n", capabilities.errorLoggingCapabilities);
  r += format("Short Self Test Time: %d\n", capabilities.shortSelftestTime);
  r += format("Long Self Test Time: %d\n", capabilities.longSelftestTime);
  r += format("Conveyance Self Test Time: %d\n", capabilities.conveyanceSelftestTime);
  r += format("Attribute Log Revision: %d\n", attributes.revision);
  r += format("Attribute Count: %d\n", attributes.count);

  r += "Attributes:\n";
  r += "ID#   ATTRIBUTE NAME                         FLAG       VALUE   WORST   THRESH  TYPE         ";
  r += "UPDATED     FAILED    RAW VALUE\n";
  if (attributes.rows)
    for (const KRSMARTAttribute& a : *attributes.rows) r += a.description() + "\n";

  r += format("Error Log Version: %d\n", errorLog.version);
  r += format("Error Count: %d\n", errorLog.count);
  r += "Error Log: \n";
  if (!errorLog.entries || errorLog.entries->empty()) {
    r += "No errors logged.\n";
  } else {
    for (const KRSMARTErrorLog& e : *errorLog.entries) r += e.description() + "\n";
  }

  r += format("Self Test Log Revision: %d\n", selfTests.revision);
  r += format("Self Test Log Count: %lu", selfTests.count) + "\n";
  r += "Self Test Log:\n\n";
  if (selfTests.entries && !selfTests.entries->empty()) {
    r += "Num  Test_Description    Status                   Remaining  LifeTime(hours)  LBA_of_first_error\n";
    for (KRSMARTSelfTestLog& t : *selfTests.entries) r += t.description() + "\n";
  } else {
    r += "No self tests logged.\n\n";
  }
  return r;
}
