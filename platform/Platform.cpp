#include "platform/Platform.h"

#include "platform/memory/MemoryPlatform.h"

namespace platform {

namespace {
Platform& slot() {
  static Platform p = memory::makePlatform().platform;
  return p;
}
}  // namespace

Platform& current() { return slot(); }
void install(Platform p) { slot() = std::move(p); }

}  // namespace platform
