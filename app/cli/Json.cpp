#include "app/cli/Json.h"

#include "platform/Utf8.h"

namespace cli {

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
        } else if (uint32_t cp; size_t n = platform::decodeUtf8(text, i, cp)) {
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
