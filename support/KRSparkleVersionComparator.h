// The monitor's own version order: the first five UTF-16 units of the two
// version strings, compared unit by unit as unsigned numbers.
#pragma once

#include <string>

#include "support/SUVersionComparison.h"

class KRSparkleVersionComparator : public SUVersionComparison {
 public:
  // The one instance of the process, made on first use.
  static KRSparkleVersionComparator& defaultComparator();

  NSComparisonResult compareVersion(const std::string& versionA, const std::string& versionB) const override;
};
