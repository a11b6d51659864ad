#include "app/cli/DriveJson.h"

#include "app/cli/DriveStatus.h"
#include "app/cli/TextOutput.h"

#ifndef TARVEL_VERSION
#define TARVEL_VERSION "unknown"
#endif

namespace cli {

namespace {

void writeStrings(JsonWriter& json, std::string_view name, const std::vector<std::string>& texts) {
  json.key(name);
  json.beginArray();
  for (const auto& t : texts) json.value(t);
  json.endArray();
}

void writeIdentity(JsonWriter& json, const KRSMARTDrive& d) {
  json.key("identity");
  json.beginObject();
  json.member("modelFamily", d.driveModelFamily());
  json.member("model", d.driveModel());
  json.member("serialNumber", d.driveSerialNumber());
  json.member("firmwareVersion", d.driveFirmwareVersion());
  json.member("capacity", d.driveCapacity());
  json.member("ataVersion", d.driveATAVersion());
  json.member("sataVersion", d.driveSATAVersion());
  json.member("rotationRate", d.driveRotationRate());
  json.endObject();
}

void writeCapabilities(JsonWriter& json, const KRSMARTDrive& d) {
  json.key("capabilities");
  json.beginObject();
  json.member("offlineDataStatus", d.driveOfflineDataStatus());
  json.member("offlineDataCollectionActivity", d.driveOfflineDataCollectionActivity());
  json.member("selfTestStatus", d.driveSelfTestStatus());
  json.member("selfTestExecution", d.driveSelfTestExecution());
  json.member("selfTestInProgress", d.driveSelfTestExecutionInProgress());
  json.member("selfTestRemaining", d.driveSelfTestExecutionRemaining());
  json.member("offlineDataCollectionTime", d.driveOfflineDataCollectionTime());
  json.member("dataCapabilities", d.driveDataCapabilities());
  json.member("smartCapabilities", d.driveSMARTCapabilities());
  json.member("errorLoggingCapabilities", d.driveErrorLoggingCapabilities());
  json.member("abortOfflineCollection", d.driveAbortOfflineCollection());
  json.member("selfTest", d.driveSelfTest());
  json.member("conveyanceSelfTest", d.driveConveyanceSelfTest());
  json.member("selectiveSelfTest", d.driveSelectiveSelfTest());
  json.member("errorLogging", d.driveErrorLogging());
  json.member("generalPurposeLogging", d.driveGeneralPurposeLogging());
  json.member("shortSelfTestTime", d.driveShortSelfTestTime());
  json.member("extendedSelfTestTime", d.driveExtendedSelfTestTime());
  json.member("conveyanceSelfTestTime", d.driveConveyanceSelfTestTime());
  json.endObject();
}

void writeFlags(JsonWriter& json, const KRSMARTDrive& d) {
  json.key("flags");
  json.beginObject();
  json.member("selftestFail", d.driveSelftestFail());
  json.member("reallocatedSectorsFail", d.driveReallocatedSectorsFail());
  json.member("reallocatedEventsFail", d.driveReallocatedEventsFail());
  json.member("currentSectorsFail", d.driveCurrentSectorsFail());
  json.member("offlineSectorsFail", d.driveOfflineSectorsFail());
  json.member("otherAttributesFail", d.driveOtherAttributesFail());
  json.member("errorsFail", d.driveErrorsFail());
  json.member("testsFail", d.driveTestsFail());
  json.member("newTestFail", d.driveNewTestFail());
  json.member("testInProgress", d.driveTestInProgress());
  json.member("exceptionOccurred", d.exceptionOccurred());
  json.endObject();
}

void writeCounters(JsonWriter& json, const KRSMARTDrive& d) {
  json.key("counters");  // raw attribute values, -1 when the drive has no such attribute
  json.beginObject();
  json.member("powerOnHours", d.drivePowerOnHours());
  json.member("temperature", d.driveTemperature());
  json.member("airflowTemperature", d.driveAirflowTemperature());
  json.member("reallocatedBadSectors", d.driveReallocatedBadSectors());
  json.member("pendingBadSectors", d.drivePendingBadSectors());
  json.member("removedBadSectors", d.driveRemovedBadSectors());
  json.member("crcErrorCount", d.driveCRCErrorCount());
  json.endObject();
}

void writeAttributes(JsonWriter& json, const KRSMARTDrive& d) {
  json.key("attributes");
  json.beginObject();
  json.member("revision", d.driveAttributeRevision());
  json.key("entries");
  json.beginArray();
  for (uint64_t i = 0; auto a = d.driveAttribute(i); ++i) {
    json.beginObject();
    json.member("id", a->getIDNumber());
    json.member("name", a->getName());
    json.member("flag", a->getFlag());
    json.member("value", a->getValue());
    json.member("worst", a->getWorst());
    json.member("thresh", a->getThresh());
    json.member("type", a->getType());
    json.member("updated", a->getUpdated());
    json.member("failed", a->getFailed());  // 1 never, 2 failing now, 3 in the past
    json.member("raw", a->getRaw());
    if (a->getTemperatureAvailable()) {
      json.member("min", a->getMin());
      json.member("max", a->getMax());
    }
    json.endObject();
  }
  json.endArray();
  json.endObject();
}

void writeErrorLog(JsonWriter& json, const KRSMARTDrive& d) {
  json.key("errorLog");
  json.beginObject();
  json.member("version", d.driveErrorLogVersion());
  json.member("count", d.driveTotalErrors());
  json.key("entries");
  json.beginArray();
  for (const KRSMARTErrorLog& e : d.driveErrorLogEntries()) {
    json.beginObject();
    json.member("number", e.getNumber());
    json.member("powerOnHours", e.getTime());
    json.member("activity", e.getActivity());
    json.member("error", e.getError1());
    json.member("error2", e.getError2Code() > 0 ? std::optional<std::string>(e.getError2()) : std::nullopt);
    json.member("sectors", e.getSectors());
    json.member("lba", e.getLBA());
    json.key("registers");
    json.beginObject();
    json.member("ER", e.getRegisterER());
    json.member("ST", e.getRegisterST());
    json.member("SC", e.getRegisterSC());
    json.member("SN", e.getRegisterSN());
    json.member("CL", e.getRegisterCL());
    json.member("CH", e.getRegisterCH());
    json.member("DH", e.getRegisterDH());
    json.endObject();
    json.key("commands");
    json.beginArray();
    for (const KRSMARTErrorCommand& c : e.getErrorCommands()) {
      json.beginObject();
      json.member("command", c.getCommand());
      json.member("poweredUpTime", c.getPowerUpTime());
      json.endObject();
    }
    json.endArray();
    json.endObject();
  }
  json.endArray();
  json.endObject();
}

void writeSelfTestLog(JsonWriter& json, const KRSMARTDrive& d) {
  json.key("selfTestLog");
  json.beginObject();
  json.member("revision", d.driveSelfTestLogRevision());
  json.member("count", d.driveTestsCount());
  json.key("entries");
  json.beginArray();
  for (uint64_t i = 0; i < d.driveTestsCount(); ++i) {
    auto t = d.driveSelfTestLog(i);
    if (!t) break;
    json.beginObject();
    json.member("number", t->getNumber());
    json.member("type", t->getType());
    json.member("status", t->getStatus());
    json.member("remainingPercent", t->getRemaining());
    json.member("powerOnHours", t->getLifetime());
    json.member("lba", t->getLBA());
    json.endObject();
  }
  json.endArray();
  json.endObject();
}

}  // namespace

void writeDrive(JsonWriter& json, const KRSMARTDrive& d) {
  json.beginObject();
  json.member("title", driveTitle(d));
  json.member("location", d.driveLocation());
  json.member("locationID", d.driveLocationID());
  json.member("fromFile", d.isDriveFromFile());
  std::vector<std::string> partitions;
  for (uint64_t i = 0; i < d.drivePartitionCount(); ++i) partitions.push_back(d.partitionNameAtIndex(i));
  writeStrings(json, "partitions", partitions);
  json.member("state", stateWord(driveState(d)));
  json.member("health", d.driveHealth());
  json.member("smartSupported", d.smartSupported());
  json.member("lastSMARTError", d.getLastSMARTErrorMessage());
  writeStrings(json, "reasons", d.getFailureReasonsText().value_or(std::vector<std::string>{}));
  writeStrings(json, "notes", driveNotes(d));
  json.member("overallHealth", d.driveOverallHealth());
  writeIdentity(json, d);
  writeFlags(json, d);
  writeCapabilities(json, d);
  writeCounters(json, d);
  writeAttributes(json, d);
  writeErrorLog(json, d);
  writeSelfTestLog(json, d);
  json.endObject();
}

void writeCheckDocument(std::ostream& out, const std::vector<KRSMARTDrive>& drives,
                        const std::vector<std::string>& messages, int status) {
  JsonWriter json;
  json.beginObject();
  json.member("program", "tarvel");
  json.member("version", TARVEL_VERSION);
  json.member("status", status);
  json.member("summary", statusWord(status));
  writeStrings(json, "messages", messages);
  json.key("drives");
  json.beginArray();
  for (const KRSMARTDrive& d : drives) writeDrive(json, d);
  json.endArray();
  json.endObject();
  out << json.text();
}

}  // namespace cli
