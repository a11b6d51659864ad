// TODO(logs): self-test log.
#include "engine/KRSMARTDrive.h"

void KRSMARTDrive::parseSelftestLog() {}
void KRSMARTDrive::parseSelectiveLog() {}
int32_t KRSMARTDrive::driveLastTestTime() const { return -1; }
std::optional<std::string> KRSMARTDrive::driveLastTestStatus() const { return std::nullopt; }
std::optional<KRSMARTSelfTestLog> KRSMARTDrive::driveSelfTestLog(uint64_t) const { return std::nullopt; }
