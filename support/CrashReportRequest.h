// The crash report upload: one multipart form field "crashlog" holding the
// user's message and the log, with the headers the receiving script reads.
#pragma once

#include <string>

namespace support {

inline constexpr const char* kBoundary = "0xKhTmLbOuNdArY";
inline constexpr const char* kBoundaryReplacement = "USED_TO_BE_KHTMLBOUNDARY";

struct ReportRequest {
  std::string contentType;    // "multipart/form-data; boundary=..."
  std::string userAgent;      // "PXCrashReporter"
  std::string contentLength;  // the body's size in bytes, in decimal
  std::string body;
};

// The message, the "==========" line, the log; the boundary text replaced
// so it cannot end the part early.
std::string reportText(const std::string& information, const std::string& crashLog);
ReportRequest buildReportRequest(const std::string& information, const std::string& crashLog);

}  // namespace support
