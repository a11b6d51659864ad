// The system log (syslog, ident "Tarvel"); in command-line mode every
// message is also written to standard error.
#pragma once

#include <mutex>

#include "platform/Services.h"

namespace platform::real {

class SyslogLog : public Log {
 public:
  explicit SyslogLog(bool alsoStderr);
  ~SyslogLog() override;
  void write(const std::string& message) override;

 private:
  std::mutex mutex_;
  bool alsoStderr_;
};

}  // namespace platform::real
