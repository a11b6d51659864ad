#include "app/cli/Progress.h"

#include <unistd.h>

#include <cstdio>

namespace cli {

ProgressLine::ProgressLine(bool enabled) : active_(enabled && ::isatty(STDERR_FILENO) == 1) {}

void ProgressLine::show(const std::string& text) {
  if (!active_) return;
  // Carriage return and erase-line keep it to one line that is redrawn.
  std::fprintf(stderr, "\r\033[K%s", text.c_str());
  std::fflush(stderr);
  shown_ = true;
}

void ProgressLine::clear() {
  if (!shown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  shown_ = false;
}

}  // namespace cli
