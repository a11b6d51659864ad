#include "platform/Platform.h"

#include "platform/Format.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#ifndef TARVEL_SUPPORT_ADDRESS
#define TARVEL_SUPPORT_ADDRESS ""
#endif

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

std::string supportContact() {
  const std::string configured = TARVEL_SUPPORT_ADDRESS;
  if (!configured.empty()) return configured;
  return localized("Main", "SupportContact", "the supplier of your copy of Tarvel");
}

std::string failureAlertText(const std::string& defaultText) {
  return format(localized("Main", "Exception2", defaultText), supportContact());
}

}  // namespace platform
