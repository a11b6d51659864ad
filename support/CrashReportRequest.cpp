#include "support/CrashReportRequest.h"

#include "platform/Format.h"
#include "support/CrashReportText.h"

namespace support {

std::string reportText(const std::string& information, const std::string& crashLog) {
  return replaceAll(information + "\n==========\n" + crashLog, kBoundary, kBoundaryReplacement);
}

ReportRequest buildReportRequest(const std::string& information, const std::string& crashLog) {
  ReportRequest r;
  r.body = platform::format("--%@\r\nContent-Disposition: form-data; name=\"crashlog\"\r\n\r\n", kBoundary) +
           reportText(information, crashLog) + platform::format("\r\n--%@--\r\n", kBoundary);
  r.contentType = platform::format("multipart/form-data; boundary=%@", kBoundary);
  r.userAgent = "PXCrashReporter";
  r.contentLength = platform::format("%lu", static_cast<unsigned long>(r.body.size()));
  return r;
}

}  // namespace support
