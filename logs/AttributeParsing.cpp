// TODO(logs): attribute rows, evaluation and lookup.
#include "engine/KRSMARTDrive.h"

KRSMARTAttribute KRSMARTDrive::parseAttributeLine(const std::string&) const { return {}; }
void KRSMARTDrive::parseAttributes() {}
int64_t KRSMARTDrive::readRawAttribute(int32_t) const { return -1; }
std::optional<KRSMARTAttribute> KRSMARTDrive::driveAttribute(uint64_t) const { return std::nullopt; }
