// TODO(engine): parseCapabilities and the decoders.
#include "engine/KRSMARTDrive.h"

void KRSMARTDrive::parseCapabilities() {}
void KRSMARTDrive::applyFailedTestRule() {}
std::string KRSMARTDrive::driveOfflineDataCollectionActivity() const { return {}; }
std::string KRSMARTDrive::driveSelfTestExecution() const { return {}; }
bool KRSMARTDrive::driveSelfTestExecutionInProgress() const { return false; }
int32_t KRSMARTDrive::driveSelfTestExecutionRemaining() const { return 0; }
bool KRSMARTDrive::driveAutoOfflineDataCollectionEnable() const { return false; }
bool KRSMARTDrive::driveSMARTExecuteOfflineImmediate() const { return false; }
bool KRSMARTDrive::driveAutoOfflineDataCollection() const { return false; }
bool KRSMARTDrive::driveAbortOfflineCollection() const { return false; }
bool KRSMARTDrive::driveOfflineSurfaceScan() const { return false; }
bool KRSMARTDrive::driveSelfTest() const { return false; }
bool KRSMARTDrive::driveConveyanceSelfTest() const { return false; }
bool KRSMARTDrive::driveSelectiveSelfTest() const { return false; }
bool KRSMARTDrive::driveAutoSavingSMARTData() const { return false; }
bool KRSMARTDrive::driveSavesSMARTDataPowerSave() const { return false; }
bool KRSMARTDrive::driveSMARTAutoSaveTimer() const { return false; }
bool KRSMARTDrive::driveErrorLogging() const { return false; }
