// Finds the newest crash log of an application in a folder tree.
#pragma once

#include <optional>
#include <string>

// The newest file under `folder` whose path relative to `folder` starts with
// "<applicationName>_" and ends with ".crash". On equal modification times
// the one met first wins; entries are met depth-first in name order.
std::optional<std::string> PXFindNewestCrashLog(const std::string& applicationName, const std::string& folder);

// The modification time of a file in seconds since 1970, or nothing.
namespace support {
std::optional<double> modificationTime(const std::string& path);
}  // namespace support
