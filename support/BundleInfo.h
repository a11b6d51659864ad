// Reads text values of a bundle's Contents/Info.plist (XML or binary).
#pragma once

#include <optional>
#include <string>

namespace support {

std::optional<std::string> bundleInfoString(const std::string& bundlePath, const std::string& key);

}  // namespace support
