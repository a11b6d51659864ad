// TODO(logs): the drive report and the record descriptions.
#include "engine/KRSMARTDrive.h"

std::string KRSMARTDrive::description() { return {}; }
std::string KRSMARTAttribute::description() const { return {}; }
std::string KRSMARTErrorCommand::description() const { return {}; }
std::string KRSMARTErrorLog::description() const { return {}; }
std::string KRSMARTSelfTestLog::description() { return {}; }
std::string KRSMARTErrorLog::errorTypeToString(int32_t) { return "Unknown"; }
std::optional<std::string> KRSMARTErrorLog::getLastErrorCommand() const { return std::nullopt; }
