// TODO(engine): parseInfo.
#include "engine/KRSMARTDrive.h"

void KRSMARTDrive::parseInfo() {}
