// Reader of ".strings" tables: lines of "key" = "value"; with C comments.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace platform::real {

struct StringsParse {
  std::map<std::string, std::string> entries;
  std::optional<std::string> error;  // "line N: ..." for the first malformed entry
};

// Reads every well-formed entry; stops at the first malformed one.
StringsParse parseStrings(const std::string& text);

}  // namespace platform::real
