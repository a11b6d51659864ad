#include "engine/DirectSmartctl.h"

namespace engine {

namespace {
std::optional<DirectSmartctl>& slot() {
  static std::optional<DirectSmartctl> direct;
  return direct;
}
}  // namespace

void setDirectSmartctl(std::optional<DirectSmartctl> direct) { slot() = std::move(direct); }
const std::optional<DirectSmartctl>& directSmartctl() { return slot(); }

}  // namespace engine
