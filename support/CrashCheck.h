// The crash check without its window: where crash logs lie, whether one is
// newer than the last report handled, and the text to offer for it.
#pragma once

#include <optional>
#include <string>

namespace support {

// "<logs folder>/CrashReports" ($XDG_STATE_HOME/Tarvel/CrashReports): where
// CrashLogWriter puts this program's crash logs.
std::string crashLogFolder();

// "PXCrashReporterLastCrashReportDate": seconds since 1970 as a 32-bit
// float, so only to multiples of 128 seconds; 0 when absent.
float lastCrashReportDate();
// Stores the current time there and writes it out at once.
void markCrashReportsHandled();

// The report text for the newest crash log of `applicationName` in
// `folder` when it is strictly newer than the last one handled: machine
// model, clock, the log's last report and the own preferences.
std::optional<std::string> newCrashReportText(const std::string& applicationName, const std::string& folder);

}  // namespace support
