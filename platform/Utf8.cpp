#include "platform/Utf8.h"

namespace platform {

size_t decodeUtf8(std::string_view text, size_t i, uint32_t& codepoint) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  if (i >= text.size()) return 0;
  const unsigned char c = byte(i);
  size_t need;
  uint32_t cp;
  if (c < 0x80) {
    codepoint = c;
    return 1;
  } else if (c >= 0xC2 && c <= 0xDF) {
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
  if (i + need >= text.size()) return 0;
  for (size_t k = 1; k <= need; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  if ((need == 2 && cp < 0x800) || (need == 3 && cp < 0x10000) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  codepoint = cp;
  return need + 1;
}

bool isValidUtf8(std::string_view text) { return utf16Length(text).has_value(); }

std::optional<size_t> utf16Length(std::string_view text) {
  size_t units = 0;
  for (size_t i = 0; i < text.size();) {
    uint32_t cp;
    size_t n = decodeUtf8(text, i, cp);
    if (n == 0) return std::nullopt;
    units += cp >= 0x10000 ? 2 : 1;
    i += n;
  }
  return units;
}

}  // namespace platform
