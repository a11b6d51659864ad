// Case files: the tables of table-driven tests kept as text beside them.
// A case is a line of fields split at " | "; "\t", "\r" and "\n" in a field are
// a tab, a carriage return and a line feed.
// Empty lines and lines starting with "#" are comments.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestPlatform.h"

namespace testing_support {

struct Case {
  std::string line;  // as written, for failure messages
  std::vector<std::string> fields;
  const std::string& operator[](size_t i) const { return fields.at(i); }
  friend void PrintTo(const Case& c, std::ostream* out) { *out << c.line; }
};

// The cases of tests/`path` whose first field is `kind` (all when empty),
// that kind's field dropped. An unreadable or empty selection fails the test.
inline std::vector<Case> readCases(const std::string& path, const std::string& kind = "") {
  std::istringstream file(readFile(sourceDir() / "tests" / path));
  std::vector<Case> out;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    Case c{line, {}};
    for (size_t at = 0, bar;; at = bar + 3) {
      bar = line.find(" | ", at);
      std::string field = line.substr(at, bar == std::string::npos ? std::string::npos : bar - at);
      for (const auto& [escape, character] : {std::pair{"\\t", "\t"}, std::pair{"\\r", "\r"}, std::pair{"\\n", "\n"}})
        for (size_t i = 0; (i = field.find(escape, i)) != std::string::npos; ++i) field.replace(i, 2, character);
      c.fields.push_back(field);
      if (bar == std::string::npos) break;
    }
    if (!kind.empty()) {
      if (c.fields[0] != kind) continue;
      c.fields.erase(c.fields.begin());
    }
    out.push_back(std::move(c));
  }
  EXPECT_FALSE(out.empty()) << "no cases of kind \"" << kind << "\" in tests/" << path;
  return out;
}

// The items of a field separated by `separator`; "-" is none.
inline std::vector<std::string> split(const std::string& text, const std::string& separator = "; ") {
  std::vector<std::string> out;
  if (text == "-") return out;
  for (size_t at = 0, end;; at = end + separator.size()) {
    end = text.find(separator, at);
    out.push_back(text.substr(at, end - at));
    if (end == std::string::npos) return out;
  }
}

// A field that "-" leaves empty.
inline std::optional<std::string> orNone(const std::string& field) {
  return field == "-" ? std::nullopt : std::optional(field);
}

}  // namespace testing_support
