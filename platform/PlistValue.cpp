#include "platform/PlistValue.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/Text.h"

namespace platform {

namespace {

// Text as a boolean: leading blanks, then Y/y/T/t or a digit 1-9 means
// true, which is how stored "YES" and "NO" defaults read.
bool textToBool(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && isSpace(s[i])) ++i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  while (i < s.size() && s[i] == '0') ++i;
  if (i >= s.size()) return false;
  char c = s[i];
  return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

}  // namespace

bool PlistValue::toBool() const {
  switch (kind_) {
    case Kind::Boolean: return b_;
    case Kind::Integer: return i_ != 0;
    case Kind::Real: return r_ != 0;
    case Kind::String: return textToBool(s_);
    default: return false;
  }
}

int64_t PlistValue::toInteger() const {
  switch (kind_) {
    case Kind::Boolean: return b_ ? 1 : 0;
    case Kind::Integer: return i_;
    case Kind::Real:
      if (!std::isfinite(r_)) return 0;
      if (r_ >= 9.2e18) return INT64_MAX;
      if (r_ <= -9.2e18) return INT64_MIN;
      return static_cast<int64_t>(r_);
    case Kind::String: return std::strtoll(s_.c_str(), nullptr, 10);
    default: return 0;
  }
}

double PlistValue::toDouble() const {
  switch (kind_) {
    case Kind::Boolean: return b_ ? 1 : 0;
    case Kind::Integer: return static_cast<double>(i_);
    case Kind::Real:
    case Kind::Date: return r_;
    case Kind::String: return std::strtod(s_.c_str(), nullptr);
    default: return 0;
  }
}

std::string PlistValue::describe() const {
  char buf[64];
  switch (kind_) {
    case Kind::Boolean: return b_ ? "1" : "0";
    case Kind::Integer: std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(i_)); return buf;
    case Kind::Real: std::snprintf(buf, sizeof buf, "%.15g", r_); return buf;
    case Kind::Date: std::snprintf(buf, sizeof buf, "%.3f", r_); return buf;
    case Kind::String: return s_;
    case Kind::Data: return "<" + std::to_string(data_.size()) + " bytes>";
    case Kind::Array: {
      std::string out = "(";
      for (size_t i = 0; i < array_.size(); ++i) out += (i ? ", " : "") + array_[i].describe();
      return out + ")";
    }
    case Kind::Dict: {
      std::string out = "{";
      for (const auto& [k, v] : dict_) out += k + " = " + v.describe() + "; ";
      return out + "}";
    }
  }
  return {};
}

bool PlistValue::operator==(const PlistValue& o) const {
  if (kind_ != o.kind_) return false;
  switch (kind_) {
    case Kind::Boolean: return b_ == o.b_;
    case Kind::Integer: return i_ == o.i_;
    case Kind::Real:
    case Kind::Date: return r_ == o.r_;
    case Kind::String: return s_ == o.s_;
    case Kind::Data: return data_ == o.data_;
    case Kind::Array: return array_ == o.array_;
    case Kind::Dict: return dict_ == o.dict_;
  }
  return false;
}

}  // namespace platform
