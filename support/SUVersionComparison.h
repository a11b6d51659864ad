// What the updater asks of a version comparator: the order of two version
// strings, as the updater's delegate defines it.
#pragma once

#include <string>

enum NSComparisonResult : int { NSOrderedAscending = -1, NSOrderedSame = 0, NSOrderedDescending = 1 };

class SUVersionComparison {
 public:
  virtual ~SUVersionComparison() = default;
  // Ascending: `versionA` is older than `versionB`.
  virtual NSComparisonResult compareVersion(const std::string& versionA, const std::string& versionB) const = 0;
};
