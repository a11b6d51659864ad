// The names of every preference the system reads or writes, in one place
// so that a typo cannot make a second preference. Per-drive values are the
// drive's serial number (or device path) followed by a suffix of logs/.
#pragma once

namespace platform::keys {

// Checking and judging drives.
inline constexpr const char* kOutputDebugMessages = "OutputDebugMessages";
inline constexpr const char* kShowUnsupportedDrives = "ShowUnsupportedDrives";
inline constexpr const char* kIgnoreAttribute190 = "IgnoreAttribute190";
inline constexpr const char* kIgnoreAttribute196 = "IgnoreAttribute196";
inline constexpr const char* kRememberErrorCount = "RememberErrorCount";
inline constexpr const char* kRememberBadSectors = "RememberBadSectors";
inline constexpr const char* kDisplayTempInFahrenheit = "DisplayTempInFahrenheit";
inline constexpr const char* kCustomBadSectorCount = "CustomBadSectorCount";
inline constexpr const char* kCustomErrorCount = "CustomErrorCount";
inline constexpr const char* kCustomBadSectorCountValue = "CustomBadSectorCountValue";
inline constexpr const char* kCustomErrorCountValue = "CustomErrorCountValue";
inline constexpr const char* kFailedTestIsNew = "FailedTestIsNew";
inline constexpr const char* kTestsInProgress = "TestsInProgress";
// Seconds one smartctl run may take before it is stopped.
inline constexpr const char* kSmartctlTimeout = "SmartctlTimeout";
// NVMe drives: percentage used at which a drive is failing (0 or less: never).
inline constexpr const char* kNVMeWearLimit = "NVMeWearLimit";
// Checks wake a disk that sleeps (smartctl without "-n standby").
inline constexpr const char* kWakeSleepingDrives = "WakeSleepingDrives";

// The tray monitor.
inline constexpr const char* kAutoExpandDrives = "AutoExpandDrives";
inline constexpr const char* kPollDrives = "PollDrives";
inline constexpr const char* kPollingInterval = "PollingInterval";
inline constexpr const char* kGrowlDrivePassed = "GrowlDrivePassed";
inline constexpr const char* kGrowlDriveFailing = "GrowlDriveFailing";
inline constexpr const char* kGrowlDriveFailed = "GrowlDriveFailed";
inline constexpr const char* kGrowlTestCompleted = "GrowlTestCompleted";
inline constexpr const char* kUpdateAvailable = "UpdateAvailable";

// The e-mail report.
inline constexpr const char* kEmailDrivePassed = "EmailDrivePassed";
inline constexpr const char* kEmailDriveFailing = "EmailDriveFailing";
inline constexpr const char* kEmailDriveFailed = "EmailDriveFailed";
inline constexpr const char* kEmailTestCompleted = "EmailTestCompleted";
inline constexpr const char* kEmailHostName = "EmailHostName";
inline constexpr const char* kEmailFromAddress = "EmailFromAddress";
inline constexpr const char* kEmailToAddress = "EmailToAddress";
inline constexpr const char* kEmailSMTPAddress = "EmailSMTPAddress";
inline constexpr const char* kEmailAuthenticationType = "EmailAuthenticationType";
inline constexpr const char* kEmailUsername = "EmailUsername";
inline constexpr const char* kEmailPassword = "EmailPassword";
inline constexpr const char* kEmailCustomPort = "EmailCustomPort";
inline constexpr const char* kEmailSSL = "EmailSSL";

// The crash reporter.
inline constexpr const char* kLastCrashReportDate = "PXCrashReporterLastCrashReportDate";

}  // namespace platform::keys
