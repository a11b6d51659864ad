// TODO(engine): parseLine, convertStringToHex, convertStringToInt.
#include "engine/KRSMARTDrive.h"

std::string KRSMARTDrive::parseLine(const std::string& line) { return line; }
uint32_t KRSMARTDrive::convertStringToHex(const std::string&) { return 0; }
int32_t KRSMARTDrive::convertStringToInt(const std::string&, bool) { return 0; }
