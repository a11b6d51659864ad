#include "platform/linux/StringsFile.h"

#include <cctype>

namespace platform::real {

namespace {

struct Cursor {
  const std::string& s;
  size_t i = 0;
  int line = 1;

  bool done() const { return i >= s.size(); }
  char peek() const { return s[i]; }
  void advance() {
    if (s[i] == '\n') ++line;
    ++i;
  }

  // Skips blanks and comments; false on an unterminated comment.
  bool skipSpace() {
    while (!done()) {
      char c = peek();
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        advance();
      } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
        while (!done() && peek() != '\n') advance();
      } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
        size_t end = s.find("*/", i + 2);
        if (end == std::string::npos) return false;
        while (i < end + 2) advance();
      } else {
        break;
      }
    }
    return true;
  }
};

void appendUtf8(std::string& out, unsigned cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::optional<std::string> readQuoted(Cursor& c) {
  if (c.done() || c.peek() != '"') return std::nullopt;
  c.advance();
  std::string out;
  while (!c.done()) {
    char ch = c.peek();
    c.advance();
    if (ch == '"') return out;
    if (ch != '\\') {
      out += ch;
      continue;
    }
    if (c.done()) return std::nullopt;
    char e = c.peek();
    c.advance();
    switch (e) {
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'U':
      case 'u': {
        unsigned cp = 0;
        int digits = 0;
        while (digits < 4 && !c.done() && std::isxdigit(static_cast<unsigned char>(c.peek()))) {
          char h = c.peek();
          cp = cp * 16 + static_cast<unsigned>(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
          c.advance();
          ++digits;
        }
        appendUtf8(out, cp);
        break;
      }
      default: out += e; break;
    }
  }
  return std::nullopt;
}

}  // namespace

StringsParse parseStrings(const std::string& text) {
  StringsParse result;
  Cursor c{text};
  // A UTF-8 byte-order mark is allowed at the start.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) c.i = 3;
  auto fail = [&](const std::string& what) {
    result.error = "line " + std::to_string(c.line) + ": " + what;
    return result;
  };
  while (true) {
    if (!c.skipSpace()) return fail("unterminated comment");
    if (c.done()) break;
    auto key = readQuoted(c);
    if (!key) return fail("expected a quoted key");
    if (!c.skipSpace()) return fail("unterminated comment");
    if (c.done() || c.peek() != '=') return fail("expected '=' after the key");
    c.advance();
    if (!c.skipSpace()) return fail("unterminated comment");
    auto value = readQuoted(c);
    if (!value) return fail("expected a quoted value");
    if (!c.skipSpace()) return fail("unterminated comment");
    if (c.done() || c.peek() != ';') return fail("expected ';' after the value");
    c.advance();
    result.entries[*key] = *value;
  }
  return result;
}

}  // namespace platform::real
