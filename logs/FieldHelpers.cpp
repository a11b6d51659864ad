#include "logs/FieldHelpers.h"

#include <limits>

#include "platform/Exception.h"
#include "platform/Text.h"

namespace logs {

using platform::hexDigit;
using platform::isBlank;
using platform::isDigit;

namespace {

// Numbers in parentheses are read from this many characters after "(":
// enough for "0x" and four hex digits, never more.
constexpr size_t kWindow = 6;

std::string windowAfterParen(const std::string& text) {
  size_t open = text.find('(');
  if (open == std::string::npos) throw platform::rangeError("no \"(\" in: " + text);
  if (text.size() - open - 1 < kWindow) throw platform::rangeError("fewer than 6 characters after \"(\" in: " + text);
  return text.substr(open + 1, kWindow);
}

size_t skipBlanks(const std::string& s, size_t i) {
  while (i < s.size() && isBlank(s[i])) ++i;
  return i;
}

}  // namespace

// The separator is a colon followed by a blank, and a tab is a blank too:
// "Label:\t value" splits like "Label: value", "Label:value" does not.
std::string parseLine(const std::string& line) {
  size_t colon = line.find(':');
  while (colon != std::string::npos && !(colon + 1 < line.size() && isBlank(line[colon + 1])))
    colon = line.find(':', colon + 1);
  if (colon == std::string::npos) throw platform::rangeError("no \": \" in: " + line);
  size_t start = skipBlanks(line, colon + 1);
  if (start >= line.size()) throw platform::rangeError("no value after \": \" in: " + line);
  return line.substr(start);
}

uint32_t convertStringToHex(const std::string& text) {
  const std::string window = windowAfterParen(text);
  size_t i = skipBlanks(window, 0);
  // A bare "0x" with no digit after it reads as the number 0.
  if (i + 2 < window.size() && window[i] == '0' && (window[i + 1] == 'x' || window[i + 1] == 'X') &&
      hexDigit(window[i + 2]) >= 0)
    i += 2;
  uint32_t value = 0;
  for (; i < window.size() && hexDigit(window[i]) >= 0; ++i)
    value = value * 16 + static_cast<uint32_t>(hexDigit(window[i]));
  return value;
}

int32_t convertStringToInt(const std::string& text, bool searchParan) {
  const std::string source = searchParan ? windowAfterParen(text) : text;
  size_t i = skipBlanks(source, 0);
  bool negative = false;
  if (i < source.size() && (source[i] == '+' || source[i] == '-')) negative = source[i++] == '-';
  // Without the window a long digit run could overflow; it saturates.
  int64_t value = 0;
  const int64_t limit =
      negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min()) : std::numeric_limits<int32_t>::max();
  for (; i < source.size() && isDigit(source[i]); ++i) {
    value = value * 10 + (source[i] - '0');
    if (value > limit) value = limit;
  }
  return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace logs
