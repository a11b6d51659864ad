#include "platform/linux/SyslogLog.h"

#include <syslog.h>

#include <cstdio>

namespace platform::real {

SyslogLog::SyslogLog(bool alsoStderr) : alsoStderr_(alsoStderr) { openlog("Tarvel", LOG_PID, LOG_USER); }

SyslogLog::~SyslogLog() { closelog(); }

void SyslogLog::write(const std::string& message) {
  std::lock_guard lock(mutex_);
  syslog(LOG_NOTICE, "%s", message.c_str());
  if (alsoStderr_) {
    std::fputs(message.c_str(), stderr);
    std::fputc('\n', stderr);
  }
}

}  // namespace platform::real
