#include "support/KRSparkleVersionComparator.h"

#include <cstdint>
#include <optional>

namespace {

// UTF-8 to UTF-16 units; a malformed byte becomes U+FFFD so that a broken
// feed still compares instead of failing.
std::u16string utf16Units(const std::string& text) {
  std::u16string out;
  size_t i = 0;
  const size_t n = text.size();
  auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  while (i < n) {
    unsigned char b = byte(i);
    uint32_t cp = 0xFFFD;
    size_t len = 1;
    if (b < 0x80) {
      cp = b;
    } else {
      size_t extra = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 0;
      uint32_t value = extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
      bool ok = extra > 0;
      for (size_t k = 1; ok && k <= extra; ++k) {
        if (i + k >= n || (byte(i + k) & 0xC0) != 0x80) ok = false;
        else value = (value << 6) | (byte(i + k) & 0x3F);
      }
      static const uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
      if (ok && value >= kMin[extra] && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF)) {
        cp = value;
        len = 1 + extra;
      }
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += len;
  }
  return out;
}

}  // namespace

KRSparkleVersionComparator& KRSparkleVersionComparator::defaultComparator() {
  static KRSparkleVersionComparator shared;
  return shared;
}

NSComparisonResult KRSparkleVersionComparator::compareVersion(const std::string& versionA,
                                                              const std::string& versionB) const {
  const std::u16string a = utf16Units(versionA);
  const std::u16string b = utf16Units(versionB);
  for (size_t i = 0; i < 5; ++i) {
    // A missing unit ranks below any present one, so "1.2" is older than
    // "1.2.3", as a reader of version numbers would expect.
    std::optional<char16_t> ua, ub;
    if (i < a.size()) ua = a[i];
    if (i < b.size()) ub = b[i];
    if (ua == ub) {
      if (!ua) return NSOrderedSame;
      continue;
    }
    if (!ua) return NSOrderedAscending;
    if (!ub) return NSOrderedDescending;
    return *ua > *ub ? NSOrderedDescending : NSOrderedAscending;
  }
  return NSOrderedSame;
}
