// TODO(logs): error log.
#include "engine/KRSMARTDrive.h"

int32_t KRSMARTDrive::parseErrorType(const std::string&) { return 0; }
KRSMARTErrorCommand KRSMARTDrive::parseErrorCommandLine(const std::string&) { return {}; }
void KRSMARTDrive::parseErrorLog() {}
std::optional<std::string> KRSMARTDrive::driveLastErrorType() const { return std::nullopt; }
int32_t KRSMARTDrive::driveLastErrorTime() const { return -1; }
std::optional<KRSMARTErrorLog> KRSMARTDrive::driveErrorLog(uint64_t) const { return std::nullopt; }
const std::vector<KRSMARTErrorLog>& KRSMARTDrive::driveErrorLogEntries() const {
  static const std::vector<KRSMARTErrorLog> none;
  return errorLog ? *errorLog : none;
}
