// The one-line progress display on standard error while drives are checked.
#pragma once

#include <string>

namespace cli {

class ProgressLine {
 public:
  // Shows nothing unless `enabled` and standard error is a terminal.
  explicit ProgressLine(bool enabled);
  ~ProgressLine() { clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void show(const std::string& text);
  void clear();

 private:
  bool active_;
  bool shown_ = false;
};

}  // namespace cli
