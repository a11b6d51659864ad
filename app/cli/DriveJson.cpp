#include "app/cli/DriveJson.h"

#include "app/cli/DriveStatus.h"
#include "app/cli/KindDetails.h"
#include "app/cli/TextOutput.h"

#ifndef TARVEL_VERSION
#define TARVEL_VERSION "unknown"
#endif

namespace cli {

namespace {

// Absent text is null.
Json text(const std::optional<std::string>& t) { return t ? Json(*t) : Json(nullptr); }

Json identity(const KRSMARTDrive& d) {
  return {{"modelFamily", text(d.driveModelFamily())},   {"model", text(d.driveModel())},
          {"serialNumber", text(d.driveSerialNumber())}, {"firmwareVersion", text(d.driveFirmwareVersion())},
          {"capacity", text(d.driveCapacity())},         {"ataVersion", text(d.driveATAVersion())},
          {"sataVersion", text(d.driveSATAVersion())},   {"rotationRate", text(d.driveRotationRate())}};
}

Json capabilities(const KRSMARTDrive& d) {
  return {{"offlineDataStatus", d.driveOfflineDataStatus()},
          {"offlineDataCollectionActivity", d.driveOfflineDataCollectionActivity()},
          {"selfTestStatus", d.driveSelfTestStatus()},
          {"selfTestExecution", d.driveSelfTestExecution()},
          {"selfTestInProgress", d.driveSelfTestExecutionInProgress()},
          {"selfTestRemaining", d.driveSelfTestExecutionRemaining()},
          {"offlineDataCollectionTime", d.driveOfflineDataCollectionTime()},
          {"dataCapabilities", d.driveDataCapabilities()},
          {"smartCapabilities", d.driveSMARTCapabilities()},
          {"errorLoggingCapabilities", d.driveErrorLoggingCapabilities()},
          {"abortOfflineCollection", d.driveAbortOfflineCollection()},
          {"selfTest", d.driveSelfTest()},
          {"conveyanceSelfTest", d.driveConveyanceSelfTest()},
          {"selectiveSelfTest", d.driveSelectiveSelfTest()},
          {"errorLogging", d.driveErrorLogging()},
          {"generalPurposeLogging", d.driveGeneralPurposeLogging()},
          {"shortSelfTestTime", d.driveShortSelfTestTime()},
          {"extendedSelfTestTime", d.driveExtendedSelfTestTime()},
          {"conveyanceSelfTestTime", d.driveConveyanceSelfTestTime()}};
}

Json flags(const KRSMARTDrive& d) {
  return {{"selftestFail", d.driveSelftestFail()},
          {"reallocatedSectorsFail", d.driveReallocatedSectorsFail()},
          {"reallocatedEventsFail", d.driveReallocatedEventsFail()},
          {"currentSectorsFail", d.driveCurrentSectorsFail()},
          {"offlineSectorsFail", d.driveOfflineSectorsFail()},
          {"otherAttributesFail", d.driveOtherAttributesFail()},
          {"errorsFail", d.driveErrorsFail()},
          {"testsFail", d.driveTestsFail()},
          {"newTestFail", d.driveNewTestFail()},
          {"testInProgress", d.driveTestInProgress()},
          {"exceptionOccurred", d.exceptionOccurred()}};
}

// Raw attribute values, -1 when the drive has no such attribute.
Json counters(const KRSMARTDrive& d) {
  return {{"powerOnHours", d.drivePowerOnHours()},
          {"temperature", d.driveTemperature()},
          {"airflowTemperature", d.driveAirflowTemperature()},
          {"reallocatedBadSectors", d.driveReallocatedBadSectors()},
          {"pendingBadSectors", d.drivePendingBadSectors()},
          {"removedBadSectors", d.driveRemovedBadSectors()},
          {"crcErrorCount", d.driveCRCErrorCount()}};
}

Json attributes(const KRSMARTDrive& d) {
  Json entries = Json::array();
  for (uint64_t i = 0; auto a = d.driveAttribute(i); ++i) {
    Json row = {{"id", a->getIDNumber()},     {"name", text(a->getName())},
                {"flag", a->getFlag()},       {"value", a->getValue()},
                {"worst", a->getWorst()},     {"thresh", a->getThresh()},
                {"type", text(a->getType())}, {"updated", text(a->getUpdated())},
                {"failed", a->getFailed()},  // 1 never, 2 failing now, 3 in the past
                {"raw", a->getRaw()}};
    if (a->getTemperatureAvailable()) {
      row["min"] = a->getMin();
      row["max"] = a->getMax();
    }
    entries.push_back(std::move(row));
  }
  return {{"revision", d.driveAttributeRevision()}, {"entries", std::move(entries)}};
}

Json errorLog(const KRSMARTDrive& d) {
  Json entries = Json::array();
  for (const KRSMARTErrorLog& e : d.driveErrorLogEntries()) {
    Json commands = Json::array();
    for (const KRSMARTErrorCommand& c : e.getErrorCommands())
      commands.push_back({{"command", text(c.getCommand())}, {"poweredUpTime", text(c.getPowerUpTime())}});
    entries.push_back({{"number", e.getNumber()},
                       {"powerOnHours", e.getTime()},
                       {"activity", text(e.getActivity())},
                       {"error", e.getError1()},
                       {"error2", text(e.getError2Code() > 0 ? std::optional(e.getError2()) : std::nullopt)},
                       {"sectors", e.getSectors()},
                       {"lba", e.getLBA()},
                       {"registers",
                        {{"ER", e.getRegisterER()},
                         {"ST", e.getRegisterST()},
                         {"SC", e.getRegisterSC()},
                         {"SN", e.getRegisterSN()},
                         {"CL", e.getRegisterCL()},
                         {"CH", e.getRegisterCH()},
                         {"DH", e.getRegisterDH()}}},
                       {"commands", std::move(commands)}});
  }
  return {{"version", d.driveErrorLogVersion()}, {"count", d.driveTotalErrors()}, {"entries", std::move(entries)}};
}

Json selfTestLog(const KRSMARTDrive& d) {
  Json entries = Json::array();
  for (uint64_t i = 0; i < d.driveTestsCount(); ++i) {
    auto t = d.driveSelfTestLog(i);
    if (!t) break;
    entries.push_back({{"number", t->getNumber()},
                       {"type", text(t->getType())},
                       {"status", text(t->getStatus())},
                       {"remainingPercent", t->getRemaining()},
                       {"powerOnHours", t->getLifetime()},
                       {"lba", t->getLBA()}});
  }
  return {{"revision", d.driveSelfTestLogRevision()}, {"count", d.driveTestsCount()}, {"entries", std::move(entries)}};
}

}  // namespace

Json driveJson(const KRSMARTDrive& d) {
  std::vector<std::string> partitions;
  for (uint64_t i = 0; i < d.drivePartitionCount(); ++i) partitions.push_back(d.partitionNameAtIndex(i));
  const std::string kind = kinds::kindName(d.driveKind());
  Json json = {{"title", monitor::driveTitle(d)},
          {"location", text(d.driveLocation())},
          {"locationID", d.driveLocationID()},
          {"fromFile", d.isDriveFromFile()},
          {"partitions", partitions},
          {"kind", kind.empty() ? Json(nullptr) : Json(kind)},
          {"deviceType", text(d.driveDeviceType())},
          {"asleep", d.driveAsleep()},
          {"state", stateWord(driveState(d))},
          {"health", d.driveHealth()},
          {"smartSupported", d.smartSupported()},
          {"lastSMARTError", text(d.getLastSMARTErrorMessage())},
          {"timedOut", d.driveTimedOut() ? Json(*d.driveTimedOut()) : Json(nullptr)},
          {"reasons", d.getFailureReasonsText().value_or(std::vector<std::string>{})},
          {"notes", driveNotes(d)},
          {"overallHealth", text(d.driveOverallHealth())},
          {"identity", identity(d)},
          {"flags", flags(d)},
          {"capabilities", capabilities(d)},
          {"counters", counters(d)},
          {"attributes", attributes(d)},
          {"errorLog", errorLog(d)},
          {"selfTestLog", selfTestLog(d)}};
  // An NVMe or SCSI drive has its own logs in place of the ATA ones.
  Json other = kindJson(d);
  if (!other.empty()) {
    for (const char* ata : {"capabilities", "attributes", "errorLog", "selfTestLog"}) json[ata] = nullptr;
    json.update(other);
    json["counters"] = kindCounters(d);
  }
  return json;
}

void writeCheckDocument(std::ostream& out, const std::vector<KRSMARTDrive>& drives,
                        const std::vector<std::string>& messages, int status) {
  Json document = {{"program", "tarvel"},           {"version", TARVEL_VERSION}, {"status", status},
                   {"summary", statusWord(status)}, {"messages", messages},      {"drives", Json::array()}};
  for (const KRSMARTDrive& d : drives) document["drives"].push_back(driveJson(d));
  out << document.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
}

}  // namespace cli
