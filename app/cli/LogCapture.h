// Keeps a copy of what is logged while it exists, for commands whose
// result the drive record only writes to the log.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Services.h"

namespace cli {

class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<std::string> lines() const;

 private:
  class Tee;
  std::shared_ptr<platform::Log> previous_;
  std::shared_ptr<Tee> tee_;
};

}  // namespace cli
