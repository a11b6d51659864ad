// The texts of crash and feedback reports: the report piece of a crash
// log, the system information block, and the user's name and address that
// fill the message template.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/PlistValue.h"

namespace support {

// Crash logs that hold several reports separate them with this line.
inline constexpr const char* kReportSeparator = "\n\n**********\n\n";
inline constexpr const char* kUnreadableReport = "*** Couldn't read Report ***";

// The file as text, or nothing when it cannot be read or is not UTF-8.
std::optional<std::string> readUtf8File(const std::string& path);
// The last report of a crash log's text; the unreadable marker for nothing.
std::string lastReportPiece(const std::optional<std::string>& fileText);

// "4x " for four processors, "" for one.
std::string countPrefix(int32_t cpuCount);
// The clock in GHz as the report prints it, in 32-bit arithmetic.
float clockSpeedGHz(uint32_t mhz);
// What "%@" prints for a missing text or object.
std::string orNull(const std::optional<std::string>& text);
std::string domainDescription(const std::optional<platform::PlistValue::Dict>& domain);

std::string crashReportText(const std::string& model, int32_t cpuCount, uint32_t mhz, const std::string& report,
                            const std::string& preferences);

struct MachineFacts {
  std::string model;
  int32_t cpuCount = 1;
  uint32_t mhz = 1;
  std::string cpuName;
  int32_t ramMB = 0;
  std::string systemVersion;
};
// The facts of this machine, missing ones as "(null)".
MachineFacts thisMachineFacts();

std::string feedbackSystemInformation(const std::string& application, const std::string& version,
                                      const MachineFacts& facts, const std::string& preferences);

std::string replaceAll(std::string text, const std::string& from, const std::string& to);

// The full name of the password database (GECOS up to the first comma),
// else the login name.
std::string longUserName();
// $EMAIL, else `missing`.
std::string emailAddress(const std::string& missing);

}  // namespace support
