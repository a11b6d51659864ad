#include "support/KRSparkleVersionComparator.h"

#include <cstdint>
#include <optional>

#include "platform/Utf8.h"

namespace {

// UTF-8 to UTF-16 units; a malformed byte becomes U+FFFD so that a broken
// feed still compares instead of failing.
std::u16string utf16Units(const std::string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    uint32_t cp;
    size_t len = platform::decodeUtf8(text, i, cp);
    if (len == 0) {
      cp = 0xFFFD;
      len = 1;
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
