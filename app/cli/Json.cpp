#include "app/cli/Json.h"

namespace cli {

namespace {

// Length of the UTF-8 sequence at `i`, or 0 when it is not valid UTF-8.
size_t utf8Length(std::string_view s, size_t i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = byte(i);
  size_t need;
  uint32_t cp;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) {
    need = 1;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    need = 2;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    need = 3;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + need >= s.size()) return 0;
  for (size_t k = 1; k <= need; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  if ((need == 2 && cp < 0x800) || (need == 3 && cp < 0x10000) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return need + 1;
}

}  // namespace

std::string jsonQuote(std::string_view text) {
  static const char* kHex = "0123456789abcdef";
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else if (c < 0x80) {
          out += static_cast<char>(c);
        } else if (size_t n = utf8Length(text, i)) {
          out.append(text.substr(i, n));
          i += n;
          continue;
        } else {
          out += "\\ufffd";
        }
    }
    ++i;
  }
  return out + "\"";
}

void JsonWriter::newline() {
  out_ += '\n';
  out_.append(levels_.size() * 2, ' ');
}

void JsonWriter::beforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (levels_.empty()) return;
  if (!levels_.back().first) out_ += ',';
  levels_.back().first = false;
  newline();
}

void JsonWriter::key(std::string_view name) {
  beforeValue();
  out_ += jsonQuote(name) + ": ";
  afterKey_ = true;
}

void JsonWriter::open(char bracket) {
  beforeValue();
  out_ += bracket;
  levels_.push_back({});
}

void JsonWriter::close(char bracket) {
  bool empty = levels_.back().first;
  levels_.pop_back();
  if (!empty) newline();
  out_ += bracket;
  if (levels_.empty()) out_ += '\n';
}

void JsonWriter::scalar(const std::string& literal) {
  beforeValue();
  out_ += literal;
}

}  // namespace cli
