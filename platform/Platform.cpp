#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace platform {

namespace {
std::optional<Platform>& slot() {
  static std::optional<Platform> p;
  return p;
}
}  // namespace

// There is no default: a program or test that forgot to install its
// platform stops here instead of quietly running on another one.
Platform& current() {
  if (!slot()) {
    std::fputs("tarvel: the platform was used before one was installed (platform::install)\n", stderr);
    std::abort();
  }
  return *slot();
}

void install(Platform p) { slot() = std::move(p); }

}  // namespace platform
