// The record of one physical drive: where it is, what it is, how healthy
// it is, and every table smartctl gives about it. `updateInfo` refreshes
// it by running smartctl once per kind of data.
//
// The operations are spread over files by subject:
//   engine/KRSMARTDrive.cpp       set-up, accessors, update cycle, health
//   engine/SmartctlGateway.cpp    runSMARTbinary and the smartctl command lines
//   engine/FieldHelpers.cpp       parseLine, convertStringToHex, convertStringToInt
//   engine/IdentityParsing.cpp    parseInfo
//   engine/Capabilities.cpp       parseCapabilities and the status decoders
//   engine/SelfTestControl.cpp    runSelfTest, stopSelfTest
//   logs/AttributeParsing.cpp     parseAttributeLine, parseAttributes, readRawAttribute
//   logs/ErrorLogParsing.cpp      parseErrorType, parseErrorCommandLine, parseErrorLog
//   logs/SelfTestLogParsing.cpp   parseSelftestLog, parseSelectiveLog
//   logs/DriveReport.cpp          description
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/KRTask.h"
#include "logs/KRSMARTAttribute.h"
#include "logs/KRSMARTErrorLog.h"
#include "logs/KRSMARTSelfTestLog.h"

// Health state of a drive (and of the monitor's overall status).
enum : int32_t { kHealthUnknown = 0, kHealthPassed = 1, kHealthFailing = 2, kHealthFailed = 3 };

// Which smartctl command line runSMARTbinary builds.
enum : uint64_t {
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

class KRSMARTDrive {
 public:
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
  std::optional<OutputLines> runSMARTbinary(bool saveRawData);
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
  // What the three log steps do with smartctl's answer once it came back;
  // tests and fuzzers feed lines here directly.
  void parseAttributeLines(const OutputLines& lines);
  void parseErrorLogLines(const OutputLines& lines);
  void parseSelftestLogLines(const OutputLines& lines);

  // ---- output field helpers (they use no drive state)
  static std::string parseLine(const std::string& line);
  static uint32_t convertStringToHex(const std::string& text);
  static int32_t convertStringToInt(const std::string& text, bool searchParan);

  // ---- row parsers
  KRSMARTAttribute parseAttributeLine(const std::string& line) const;
  static int32_t parseErrorType(const std::string& text);
  static KRSMARTErrorCommand parseErrorCommandLine(const std::string& line);

  // ---- self-test control: results 0 no answer, 1 begun or aborted,
  // 2 refused or unconfirmed, 3 another test runs.
  uint64_t runSelfTest(uint64_t code);
  bool stopSelfTest();
  void setSelfTestInProgress(bool on) { testInProgress = on; }

  // ---- failure reasons
  std::optional<std::string> getLastSMARTErrorMessage() const { return smartError; }
  void addFailureReasonsString(const std::string& reason);
  std::optional<std::vector<std::string>> getFailureReasonsText() const { return failureReasonsText; }

  // ---- read accessors
  std::optional<std::string> driveLocation() const { return location; }
  std::string driveLocationID() const;
  std::string partitionNameAtIndex(uint64_t index) const;
  uint64_t drivePartitionCount() const { return partitionCount; }
  bool smartSupported() const { return smartSupport; }
  bool exceptionOccurred() const { return exceptionOccurred_; }
  bool isDriveFromFile() const { return driveFromFile; }
  int32_t driveHealth() const { return health; }
  std::optional<std::string> driveOverallHealth() const { return overallHealth; }
  std::optional<std::string> driveModelFamily() const { return modelFamily; }
  std::optional<std::string> driveModel() const { return model; }
  std::optional<std::string> driveSerialNumber() const { return serialNumber; }
  std::optional<std::string> driveFirmwareVersion() const { return firmwareVersion; }
  std::optional<std::string> driveCapacity() const { return capacity; }
  std::optional<std::string> driveATAVersion() const { return ataVersion; }
  std::optional<std::string> driveSATAVersion() const { return sataVersion; }
  std::optional<std::string> driveRotationRate() const { return rotationRate; }

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
  bool driveGeneralPurposeLogging() const { return generalPurposeLogging; }
  int32_t driveOfflineDataCollectionTime() const { return timeOfflineData; }
  int32_t driveShortSelfTestTime() const { return shortSelftestTime; }
  int32_t driveExtendedSelfTestTime() const { return longSelftestTime; }
  int32_t driveConveyanceSelfTestTime() const { return conveyanceSelftestTime; }
  uint32_t driveOfflineDataStatus() const { return offlineDataStatus; }
  int32_t driveSelfTestStatus() const { return selftestStatus; }
  uint32_t driveDataCapabilities() const { return dataCapabilities; }
  uint32_t driveSMARTCapabilities() const { return smartCapabilities; }
  uint32_t driveErrorLoggingCapabilities() const { return errorLoggingCapabilities; }

  // Named counters: the raw value of one attribute, -1 when absent.
  int64_t readRawAttribute(int32_t number) const;
  int64_t drivePowerOnHours() const { return readRawAttribute(9); }
  int64_t driveAirflowTemperature() const { return readRawAttribute(190); }
  int64_t driveTemperature() const { return readRawAttribute(194); }
  int64_t drivePendingBadSectors() const { return readRawAttribute(197); }
  int64_t driveRemovedBadSectors() const { return readRawAttribute(198); }
  int64_t driveReallocatedBadSectors() const { return readRawAttribute(5); }
  int64_t driveCRCErrorCount() const { return readRawAttribute(199); }

  // Failure flags: 1 no finding, 2 warning, 3 failed now.
  bool driveSelftestFail() const { return selftestFail; }
  int32_t driveReallocatedSectorsFail() const { return reallocatedSectorsFail; }
  int32_t driveReallocatedEventsFail() const { return reallocatedEventsFail; }
  int32_t driveCurrentSectorsFail() const { return currentSectorsFail; }
  int32_t driveOfflineSectorsFail() const { return offlineSectorsFail; }
  int32_t driveOtherAttributesFail() const { return otherAttributesFail; }
  bool driveErrorsFail() const { return errorsFail; }

  // Attribute table.
  int32_t driveAttributeRevision() const { return attributeRevision; }
  int32_t driveAttributeCount() const { return attributeCount; }
  // Nothing for a position at or beyond the count.
  std::optional<KRSMARTAttribute> driveAttribute(uint64_t index) const;

  // Error log.
  int32_t driveErrorLogVersion() const { return errorLogVersion; }
  int32_t driveTotalErrors() const { return errorCount; }
  std::optional<std::string> driveLastErrorType() const;
  int32_t driveLastErrorTime() const;
  std::optional<KRSMARTErrorLog> driveErrorLog(uint64_t index) const;
  // Every entry, also those beyond the fifth.
  const std::vector<KRSMARTErrorLog>& driveErrorLogEntries() const;

  // Self-test log.
  int32_t driveSelfTestLogRevision() const { return selfTestLogRevision; }
  uint64_t driveTestsCount() const { return selfTestCount; }
  bool driveTestsFail() const { return testsFail; }
  bool driveNewTestFail() const { return newTestFail; }
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
  // Key of a remembered per-drive value: serial number (else location) + suffix.
  std::string rememberedKey(const std::string& suffix) const;
  void applyAttributeRules(const KRSMARTAttribute& attribute);
  void applyErrorCountRule();
  void applyTestLogRule();
  void applyFailedTestRule();

  bool smartSupport = false;
  std::optional<std::string> smartError;
  std::optional<std::string> location;
  uint64_t partitionCount = 0;
  std::optional<std::vector<std::string>> partitionNames;
  std::optional<std::string> modelFamily;
  std::optional<std::string> model;
  std::optional<std::string> serialNumber;
  std::optional<std::string> firmwareVersion;
  std::optional<std::string> capacity;
  std::optional<std::string> ataVersion;
  std::optional<std::string> sataVersion;
  std::optional<std::string> rotationRate;
  int32_t health = 0;
  std::optional<std::string> overallHealth;
  uint32_t offlineDataStatus = 0;
  int32_t selftestStatus = 0;
  int32_t timeOfflineData = 0;
  uint32_t dataCapabilities = 0;
  uint32_t smartCapabilities = 0;
  uint32_t errorLoggingCapabilities = 0;
  bool generalPurposeLogging = false;
  int32_t shortSelftestTime = 0;
  int32_t longSelftestTime = 0;
  int32_t conveyanceSelftestTime = 0;
  int32_t attributeRevision = 0;
  int32_t attributeCount = 0;
  std::optional<std::vector<KRSMARTAttribute>> attributes;
  int32_t errorLogVersion = 0;
  int32_t errorCount = 0;
  std::optional<std::vector<KRSMARTErrorLog>> errorLog;
  int32_t selfTestLogRevision = 0;
  uint64_t selfTestCount = 0;
  std::optional<std::vector<KRSMARTSelfTestLog>> selfTestLog;
  uint64_t argumentCode = 0;
  bool runVeryPermissive = false;
  std::optional<std::vector<std::string>> options;
  bool outputDebugMessages = false;
  uint64_t controllerID = 0;
  bool selftestFail = false;
  int32_t reallocatedSectorsFail = 0;
  int32_t reallocatedEventsFail = 0;
  int32_t currentSectorsFail = 0;
  int32_t offlineSectorsFail = 0;
  int32_t otherAttributesFail = 0;
  bool errorsFail = false;
  bool testsFail = false;
  bool newTestFail = false;
  bool testInProgress = false;
  bool exceptionOccurred_ = false;
  bool driveFromFile = false;
  std::optional<std::string> bundlePath;
  bool enableCommandLineOption = false;
  std::optional<std::vector<std::string>> failureReasonsText;
};
