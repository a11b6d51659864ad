// The character and text tests every parser of the system shares. Plain
// ASCII on purpose: smartctl, /proc and the listings print ASCII, and
// <cctype> would follow the user's locale.
#pragma once

#include <string>
#include <string_view>

namespace platform {

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }
inline bool isLower(char c) { return c >= 'a' && c <= 'z'; }
// What C's isspace accepts in the "C" locale.
inline bool isSpace(char c) { return isBlank(c) || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// The value of a hexadecimal digit, or -1.
inline int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A line contains a label anywhere in it, case-sensitively.
inline bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }
// It begins with the label at position 0.
inline bool beginsWith(std::string_view text, std::string_view part) { return text.starts_with(part); }

// Without white space at both ends.
inline std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

// ASCII letters in lower case; other bytes as they are.
inline std::string lowercase(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace platform
