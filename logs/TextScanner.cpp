#include "logs/TextScanner.h"

#include "platform/Exception.h"
#include "platform/Text.h"

namespace logs {

using platform::hexDigit;
using platform::isBlank;
using platform::isDigit;

size_t TextScanner::afterBlanks() const {
  size_t p = pos_;
  while (p < text_.size() && isBlank(text_[p])) ++p;
  return p;
}

bool TextScanner::atEnd() const { return afterBlanks() >= text_.size(); }

void TextScanner::setPosition(size_t position) {
  if (position > text_.size()) throw platform::rangeError("scan position beyond the end of the line");
  pos_ = position;
}

bool TextScanner::scanSigned(int64_t& out, int64_t min, int64_t max) {
  size_t p = afterBlanks();
  bool negative = false;
  if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) negative = text_[p++] == '-';
  if (p >= text_.size() || !isDigit(text_[p])) return false;
  // Accumulate towards the sign so that the smallest value fits too.
  int64_t value = 0;
  for (; p < text_.size() && isDigit(text_[p]); ++p) {
    int digit = text_[p] - '0';
    if (!negative) value = value > (max - digit) / 10 ? max : value * 10 + digit;
    else value = value < (min + digit) / 10 ? min : value * 10 - digit;
  }
  out = value;
  pos_ = p;
  return true;
}

bool TextScanner::scanInt(int32_t& out) {
  int64_t v;
  if (!scanSigned(v, INT32_MIN, INT32_MAX)) return false;
  out = static_cast<int32_t>(v);
  return true;
}

bool TextScanner::scanLongLong(int64_t& out) { return scanSigned(out, INT64_MIN, INT64_MAX); }

bool TextScanner::scanHex(uint64_t& out, uint64_t max) {
  size_t p = afterBlanks();
  // "0x" counts as a prefix only when a digit follows; otherwise its 0 is the number.
  if (p + 2 < text_.size() && text_[p] == '0' && (text_[p + 1] == 'x' || text_[p + 1] == 'X') &&
      hexDigit(text_[p + 2]) >= 0)
    p += 2;
  if (p >= text_.size() || hexDigit(text_[p]) < 0) return false;
  uint64_t value = 0;
  for (; p < text_.size() && hexDigit(text_[p]) >= 0; ++p) {
    uint64_t digit = static_cast<uint64_t>(hexDigit(text_[p]));
    value = value > (max - digit) / 16 ? max : value * 16 + digit;
  }
  out = value;
  pos_ = p;
  return true;
}

bool TextScanner::scanHexInt(uint32_t& out) {
  uint64_t v;
  if (!scanHex(v, UINT32_MAX)) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

bool TextScanner::scanHexLongLong(uint64_t& out) { return scanHex(out, UINT64_MAX); }

bool TextScanner::scanUpTo(bool (*stop)(char), std::string& out) {
  size_t start = afterBlanks();
  size_t p = start;
  while (p < text_.size() && !stop(text_[p])) ++p;
  if (p == start) return false;
  out = text_.substr(start, p - start);
  pos_ = p;
  return true;
}

bool TextScanner::scanUpToBlank(std::string& out) { return scanUpTo(isBlank, out); }
bool TextScanner::scanUpToDigit(std::string& out) { return scanUpTo(isDigit, out); }
bool TextScanner::scanRest(std::string& out) {
  return scanUpTo([](char) { return false; }, out);
}

}  // namespace logs
