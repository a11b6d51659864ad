// smartctl answers as real drives give them (tests/logs/samples): the text
// after the banner, empty lines and leading tabs included.
#pragma once

#include <string>

#include "tests/support/TestPlatform.h"

namespace samples {

inline std::string text(const std::string& name) {
  return testing_support::readFile(testing_support::sourceDir() / "tests/logs/samples" / (name + ".txt"));
}

}  // namespace samples
