// The failure a drive update step raises and the update cycle catches and
// logs with its name and reason.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

class Exception : public std::runtime_error {
 public:
  Exception(std::string name, std::string reason)
      : std::runtime_error(name + ": " + reason), name_(std::move(name)), reason_(std::move(reason)) {}
  const std::string& name() const { return name_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string name_;
  std::string reason_;
};

// Text cut or indexed beyond its end: the parsers' malformed-input failure.
inline Exception rangeError(std::string reason) { return Exception("RangeException", std::move(reason)); }

}  // namespace platform
