// The record of one physical drive: where it is, what it is, how healthy
// it is, and every table smartctl gives about it. `updateInfo` refreshes
// it by running smartctl once per kind of data; the parsers and rules of
// logs/ read each answer into the record's parts.
//
// The operations are spread over files by subject:
//   engine/KRSMARTDrive.cpp       set-up, update cycle, the steps
//   engine/SmartctlGateway.cpp    runSMARTbinary and the smartctl command lines
//   engine/Capabilities.cpp       the status and capability decoders
//   engine/LogAccessors.cpp       attribute, error-log and self-test-log accessors
//   engine/SelfTestControl.cpp    runSelfTest, stopSelfTest
//   engine/DriveReport.cpp        description
//   engine/DriveKinds.cpp         drives other than ATA: kind, "-d sat" retry, NVMe and SCSI logs,
//                                 their raw data and its replay
//   engine/KindReport.cpp         the report of an NVMe or SCSI drive
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/KRTask.h"
#include "logs/Ata.h"
#include "logs/DriveKind.h"
#include "logs/Findings.h"
#include "logs/KindFindings.h"
#include "logs/NvmeParsing.h"
#include "logs/ScsiParsing.h"

class KRSMARTDrive {
 public:
  // Which smartctl command line runSMARTbinary builds.
  enum ArgumentCode : uint64_t {
    kArgHealth = 1,
    kArgIdentity = 2,
    kArgCapabilities = 3,
    kArgAttributes = 4,
    kArgErrorLog = 5,
    kArgSelfTestLog = 6,
    kArgSelectiveLog = 7,
    kArgShortTest = 8,
    kArgExtendedTest = 9,
    kArgAbortTest = 10,
    kArgVersion = 11,
    kArgEnableSMART = 12,
    kArgOptions = 13,
    kArgRawData = 14,
  };

  KRSMARTDrive() = default;  // init
  static KRSMARTDrive initForCommandLine();

  // ---- set-up
  void setID(uint64_t id) { controllerID = id; }
  uint64_t getID() const { return controllerID; }
  void setDebugState(bool on) { outputDebugMessages = on; }
  void setDriveAsFile(bool on) { driveFromFile = on; }
  void setBundlePath(const std::string& path) { bundlePath = path; }
  void setLocation(const std::string& path) { location = path; }
  void addPartitionName(const std::string& name);
  bool sameLocation(const std::string& path) const { return location && *location == path; }

  // ---- smartctl gateway
  // The argument list code `argumentCode` selects, device last.
  std::vector<std::string> smartctlArguments() const;
  // What runSMARTbinary runs: those arguments, after "-d sat" for a disk
  // behind a USB bridge and, while updateInfo checks a real disk, after
  // "-n standby".
  std::vector<std::string> commandLine() const;
  std::optional<logs::OutputLines> runSMARTbinary(bool saveRawData);
  std::optional<std::string> getsmartctlPath() const;
  void saveRawData();
  std::string smartctlVersion();
  void runOptions(const std::string& options);
  // Where this drive's raw data goes: "<logs folder>/<disk name>.trdr".
  std::string rawDataPath() const;
  void setArgumentCode(uint64_t code) { argumentCode = code; }
  uint64_t getArgumentCode() const { return argumentCode; }
  bool getRunVeryPermissive() const { return runVeryPermissive; }

  // ---- update cycle and steps
  void updateInfo();
  void parseInfo();
  void parseHealth();
  void parseCapabilities();
  void parseAttributes();
  void parseErrorLog();
  void parseSelftestLog();
  void parseSelectiveLog();
  // NVMe and SCSI: the health verdict and logs, judged by their rules.
  void parseKindLogs();

  // ---- self-test control: results 0 no answer, 1 begun or aborted,
  // 2 refused or unconfirmed, 3 another test runs.
  uint64_t runSelfTest(uint64_t code);
  bool stopSelfTest();
  void setSelfTestInProgress(bool on) { testInProgress = on; }

  // ---- failure reasons
  std::optional<std::string> getLastSMARTErrorMessage() const { return smartError; }
  void addFailureReasonsString(const std::string& reason);
  std::optional<std::vector<std::string>> getFailureReasonsText() const { return findings.failureReasons; }
  // The time limit of the smartctl run that did not answer during the last
  // update, which then skipped the drive's remaining runs; nothing when
  // every run answered. Such a drive is kept in the list, of unknown health
  // unless a finding before the silence says worse.
  std::optional<double> driveTimedOut() const { return timedOutAfter; }
  // "smartctl did not answer within N seconds", the reason added then.
  static std::string noAnswerReason(double seconds);

  // ---- read accessors
  std::optional<std::string> driveLocation() const { return location; }
  std::string driveLocationID() const;
  std::string partitionNameAtIndex(uint64_t index) const;
  uint64_t drivePartitionCount() const { return partitionCount; }
  bool smartSupported() const { return smartSupport; }
  bool exceptionOccurred() const { return exceptionOccurred_; }
  bool isDriveFromFile() const { return driveFromFile; }
  int32_t driveHealth() const { return findings.health; }
  std::optional<std::string> driveOverallHealth() const { return overallHealth; }
  std::optional<std::string> driveModelFamily() const { return identity.modelFamily; }
  std::optional<std::string> driveModel() const { return identity.model; }
  std::optional<std::string> driveSerialNumber() const { return identity.serialNumber; }
  std::optional<std::string> driveFirmwareVersion() const { return identity.firmwareVersion; }
  std::optional<std::string> driveCapacity() const { return identity.capacity; }
  std::optional<std::string> driveATAVersion() const { return identity.ataVersion; }
  std::optional<std::string> driveSATAVersion() const { return identity.sataVersion; }
  std::optional<std::string> driveRotationRate() const { return identity.rotationRate; }

  // Decoded capability data.
  std::string driveOfflineDataCollectionActivity() const;
  std::string driveSelfTestExecution() const;
  bool driveSelfTestExecutionInProgress() const;
  int32_t driveSelfTestExecutionRemaining() const;
  bool driveAutoOfflineDataCollectionEnable() const;
  bool driveSMARTExecuteOfflineImmediate() const;
  bool driveAutoOfflineDataCollection() const;
  bool driveAbortOfflineCollection() const;
  bool driveOfflineSurfaceScan() const;
  bool driveSelfTest() const;
  bool driveConveyanceSelfTest() const;
  bool driveSelectiveSelfTest() const;
  bool driveAutoSavingSMARTData() const;
  bool driveSavesSMARTDataPowerSave() const;
  bool driveSMARTAutoSaveTimer() const;
  bool driveErrorLogging() const;
  bool driveGeneralPurposeLogging() const { return capabilities.generalPurposeLogging; }
  int32_t driveOfflineDataCollectionTime() const { return capabilities.timeOfflineData; }
  int32_t driveShortSelfTestTime() const { return capabilities.shortSelftestTime; }
  int32_t driveExtendedSelfTestTime() const { return capabilities.longSelftestTime; }
  int32_t driveConveyanceSelfTestTime() const { return capabilities.conveyanceSelftestTime; }
  uint32_t driveOfflineDataStatus() const { return capabilities.offlineDataStatus; }
  int32_t driveSelfTestStatus() const { return capabilities.selftestStatus; }
  uint32_t driveDataCapabilities() const { return capabilities.dataCapabilities; }
  uint32_t driveSMARTCapabilities() const { return capabilities.smartCapabilities; }
  uint32_t driveErrorLoggingCapabilities() const { return capabilities.errorLoggingCapabilities; }

  // Named counters: the raw value of one attribute, -1 when absent.
  int64_t readRawAttribute(int32_t number) const { return attributes.rawValue(number); }
  int64_t drivePowerOnHours() const { return readRawAttribute(9); }
  int64_t driveAirflowTemperature() const { return readRawAttribute(190); }
  int64_t driveTemperature() const { return readRawAttribute(194); }
  int64_t drivePendingBadSectors() const { return readRawAttribute(197); }
  int64_t driveRemovedBadSectors() const { return readRawAttribute(198); }
  int64_t driveReallocatedBadSectors() const { return readRawAttribute(5); }
  int64_t driveCRCErrorCount() const { return readRawAttribute(199); }

  // Failure flags: 1 no finding, 2 warning, 3 failed now.
  bool driveSelftestFail() const { return findings.selftestFail; }
  int32_t driveReallocatedSectorsFail() const { return findings.reallocatedSectorsFail; }
  int32_t driveReallocatedEventsFail() const { return findings.reallocatedEventsFail; }
  int32_t driveCurrentSectorsFail() const { return findings.currentSectorsFail; }
  int32_t driveOfflineSectorsFail() const { return findings.offlineSectorsFail; }
  int32_t driveOtherAttributesFail() const { return findings.otherAttributesFail; }
  bool driveErrorsFail() const { return findings.errorsFail; }

  // Attribute table.
  int32_t driveAttributeRevision() const { return attributes.revision; }
  int32_t driveAttributeCount() const { return attributes.count; }
  // Nothing for a position at or beyond the count.
  std::optional<KRSMARTAttribute> driveAttribute(uint64_t index) const;

  // Error log.
  int32_t driveErrorLogVersion() const { return errorLog.version; }
  int32_t driveTotalErrors() const { return errorLog.count; }
  std::optional<std::string> driveLastErrorType() const;
  int32_t driveLastErrorTime() const;
  std::optional<KRSMARTErrorLog> driveErrorLog(uint64_t index) const;
  // Every entry, also those beyond the fifth.
  const std::vector<KRSMARTErrorLog>& driveErrorLogEntries() const;

  // ---- drive kinds
  // ATA (also behind a USB bridge), NVMe, SCSI; NoSmart for a disk that has
  // none (smartSupported is then false); Unknown until smartctl named one.
  kinds::DriveKind driveKind() const { return kind; }
  // "sat" for a disk read through a USB bridge smartctl did not know.
  std::optional<std::string> driveDeviceType() const { return deviceType; }
  // The disk slept through the last update, which kept the state it had.
  bool driveAsleep() const { return asleep; }
  // Nothing unless the drive is of that kind.
  const nvme::Report* driveNVMe() const { return kind == kinds::DriveKind::Nvme && nvmeRecords ? &*nvmeRecords : nullptr; }
  const scsi::Report* driveSCSI() const { return kind == kinds::DriveKind::Scsi && scsiRecords ? &*scsiRecords : nullptr; }
  // What the NVMe and SCSI rules note without judging it (unreadable logs,
  // why the health is unknown), as English texts.
  std::vector<std::string> driveKindNotes() const;

  // Self-test log.
  int32_t driveSelfTestLogRevision() const { return selfTests.revision; }
  uint64_t driveTestsCount() const { return selfTests.count; }
  bool driveTestsFail() const { return findings.testsFail; }
  bool driveNewTestFail() const { return findings.newTestFail; }
  int32_t driveLastTestTime() const;
  std::optional<std::string> driveLastTestStatus() const;
  std::optional<KRSMARTSelfTestLog> driveSelfTestLog(uint64_t index) const;
  bool driveTestInProgress() const { return testInProgress; }

  // The full text report of the drive.
  std::string description();

 private:
  // Tests that need a drive state the parsing steps would reach (tests/support).
  friend struct KRSMARTDriveTestAccess;
  // Debug logging: written only when outputDebugMessages is on.
  void debug(const std::string& message) const;
  // The opening of every step: runs smartctl with `code`'s command line;
  // nothing came back: logs `failure` when debugging and gives nothing.
  // Nothing, without running smartctl, once a run of this update has gone
  // unanswered: a drive that hangs would make every later run wait as long.
  std::optional<logs::OutputLines> runStep(uint64_t code, const char* failure);
  // Records a run that timed out or was cancelled; false for one that ended.
  bool noteUnanswered(const KRTask& task);
  // What the log rules read: the preferences now, this drive's debug state.
  logs::Settings settings() const;
  // Runs a rule-applying parser with the counts this drive remembers, and
  // stores the counts it leaves, also when it fails part-way.
  void withRemembered(const std::function<void(logs::Remembered&)>& parse);
  // Key of a remembered per-drive value: serial number (else location) + suffix.
  std::string rememberedKey(const std::string& suffix) const;
  bool reenableSMART();
  // Whether the update runs this step for the drive's kind and state.
  bool runsStep(void (KRSMARTDrive::*step)()) const;
  // Takes the kind smartctl's identity answer names, retrying once with
  // "-d sat" where smartctl asks for a device type (`lines` then become the
  // retry's). False when there is nothing to parse: no SMART.
  bool takeKind(logs::OutputLines& lines);
  void parseKindIdentity(const logs::OutputLines& lines);
  bool isOtherKind() const { return kind == kinds::DriveKind::Nvme || kind == kinds::DriveKind::Scsi; }
  // A replayed NVMe or SCSI raw-data file: the answers it holds; nothing for
  // an ATA trace, which smartctl replays.
  std::optional<logs::OutputLines> capturedReplay() const;
  void saveCapturedAnswers();
  // The report of an NVMe or SCSI drive after the lines every report has.
  std::string kindDescription() const;

  bool smartSupport = false;
  std::optional<std::string> smartError;
  std::optional<std::string> location;
  uint64_t partitionCount = 0;
  std::optional<std::vector<std::string>> partitionNames;
  logs::AtaIdentity identity;
  std::optional<std::string> overallHealth;
  logs::AtaCapabilities capabilities;
  logs::AtaAttributeTable attributes;
  logs::AtaErrorLog errorLog;
  logs::AtaSelfTestLog selfTests;
  // Health, failure flags and failure reasons.
  logs::Findings findings;
  uint64_t argumentCode = 0;
  bool runVeryPermissive = false;
  std::optional<std::vector<std::string>> options;
  bool outputDebugMessages = false;
  uint64_t controllerID = 0;
  bool testInProgress = false;
  bool exceptionOccurred_ = false;
  bool driveFromFile = false;
  std::optional<std::string> bundlePath;
  bool enableCommandLineOption = false;
  // A run of the current update timed out or was cancelled.
  bool runWentUnanswered = false;
  std::optional<double> timedOutAfter;

  kinds::DriveKind kind = kinds::DriveKind::Unknown;
  std::optional<std::string> deviceType;
  bool asleep = false;
  bool checking = false;  // updateInfo runs
  std::optional<nvme::Report> nvmeRecords;
  std::optional<scsi::Report> scsiRecords;
  std::vector<kinds::Reason> kindNotes;
  // This update's answers of an NVMe or SCSI drive: its raw data.
  std::vector<std::string> capturedAnswers;
};
