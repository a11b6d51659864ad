// TODO(engine): runSelfTest, stopSelfTest.
#include "engine/KRSMARTDrive.h"

uint64_t KRSMARTDrive::runSelfTest(uint64_t) { return 0; }
bool KRSMARTDrive::stopSelfTest() { return false; }
