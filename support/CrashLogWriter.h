// Writes a crash log when the program dies of a fatal signal, so that the
// crash check can offer it at the next start. Nothing else on Linux writes
// one for this program.
#pragma once

#include <string>

// Installs handlers for SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT that
// write "<folder>/<applicationName>_<YYYY-MM-DD-HHMMSS>_<host>.crash" (UTC)
// holding the process name, pid, signal and backtrace, then die of the same
// signal with its default action. Creates `folder`. Call once, early, on
// the main thread. False when the folder cannot be made (the handlers are
// installed all the same; a crash then writes nothing).
namespace support {

bool installCrashLogWriter(const std::string& folder, const std::string& applicationName);

}  // namespace support
