#include "logs/SmartctlLines.h"

#include <algorithm>
#include <limits>

namespace smartctl {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the thousands separator at `at`, 0 when there is none.
size_t separatorAt(std::string_view text, size_t at) {
  if (at >= text.size()) return 0;
  const char c = text[at];
  if (c == ',' || c == '.' || c == '\'' || c == ' ') return 1;
  if (text.substr(at, 2) == "\xC2\xA0") return 2;      // no-break space
  if (text.substr(at, 3) == "\xE2\x80\xAF") return 3;  // narrow no-break space
  return 0;
}

bool threeDigitsAt(std::string_view text, size_t at) {
  if (at + 3 > text.size()) return false;
  for (size_t i = at; i < at + 3; ++i)
    if (!isDigit(text[i])) return false;
  return at + 3 == text.size() || !isDigit(text[at + 3]);
}

}  // namespace

std::string_view trimmed(std::string_view line) {
  size_t begin = 0, end = line.size();
  while (begin < end && isBlank(line[begin])) ++begin;
  while (end > begin && isBlank(line[end - 1])) --end;
  return line.substr(begin, end - begin);
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

std::optional<std::string> valueAfter(std::string_view line, std::string_view label) {
  const std::string_view t = trimmed(line);
  if (!startsWith(t, label)) return std::nullopt;
  return std::string(trimmed(t.substr(label.size())));
}

std::optional<std::string> findValue(const Lines& lines, std::string_view label) {
  for (const std::string& line : lines)
    if (auto v = valueAfter(line, label)) return v;
  return std::nullopt;
}

bool allDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

std::optional<uint64_t> leadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  if (i < text.size() && text[i] == '~') ++i;
  if (i >= text.size() || !isDigit(text[i])) return std::nullopt;
  uint64_t value = 0;
  bool overflow = false;
  auto addDigit = [&](char c) {
    const uint64_t d = static_cast<uint64_t>(c - '0');
    if (value > (std::numeric_limits<uint64_t>::max() - d) / 10) overflow = true;
    else value = value * 10 + d;
  };
  while (i < text.size()) {
    if (isDigit(text[i])) {
      addDigit(text[i++]);
      continue;
    }
    const size_t sep = separatorAt(text, i);
    if (sep && threeDigitsAt(text, i + sep)) {
      i += sep;
      continue;
    }
    break;
  }
  return overflow ? std::numeric_limits<uint64_t>::max() : value;
}

std::optional<int64_t> leadingCount(std::string_view text) {
  std::optional<uint64_t> n = leadingNumber(text);
  if (!n) return std::nullopt;
  constexpr uint64_t kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  return static_cast<int64_t>(*n > kMax ? kMax : *n);
}

std::optional<std::string> bracketed(std::string_view text) {
  const size_t open = text.find('[');
  if (open == std::string_view::npos) return std::nullopt;
  const size_t close = text.find(']', open);
  if (close == std::string_view::npos) return std::nullopt;
  return std::string(trimmed(text.substr(open + 1, close - open - 1)));
}

std::vector<std::string> words(std::string_view line) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isBlank(line[i])) ++i;
    const size_t start = i;
    while (i < line.size() && !isBlank(line[i])) ++i;
    if (i > start) out.emplace_back(line.substr(start, i - start));
  }
  return out;
}

}  // namespace smartctl
