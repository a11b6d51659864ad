// A property-list value: what preferences, the drive list file and Info.plist hold.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace platform {

// Seconds since 1 January 1970 UTC, kept apart from plain numbers so that
// a date survives a round trip through a property list.
struct Date {
  double secondsSince1970 = 0;
  bool operator==(const Date&) const = default;
};

class PlistValue {
 public:
  enum class Kind { Boolean, Integer, Real, String, Date, Data, Array, Dict };
  using Array = std::vector<PlistValue>;
  using Dict = std::map<std::string, PlistValue>;

  PlistValue() : kind_(Kind::String) {}
  PlistValue(bool b) : kind_(Kind::Boolean), b_(b) {}
  PlistValue(int i) : kind_(Kind::Integer), i_(i) {}
  PlistValue(long i) : kind_(Kind::Integer), i_(i) {}
  PlistValue(long long i) : kind_(Kind::Integer), i_(i) {}
  PlistValue(unsigned u) : kind_(Kind::Integer), i_(u) {}
  PlistValue(double d) : kind_(Kind::Real), r_(d) {}
  PlistValue(const char* s) : kind_(Kind::String), s_(s) {}
  PlistValue(std::string s) : kind_(Kind::String), s_(std::move(s)) {}
  PlistValue(platform::Date d) : kind_(Kind::Date), r_(d.secondsSince1970) {}
  PlistValue(std::vector<uint8_t> data) : kind_(Kind::Data), data_(std::move(data)) {}
  PlistValue(Array a) : kind_(Kind::Array), array_(std::move(a)) {}
  PlistValue(Dict d) : kind_(Kind::Dict), dict_(std::move(d)) {}

  Kind kind() const { return kind_; }
  bool isString() const { return kind_ == Kind::String; }
  bool isNumber() const { return kind_ == Kind::Integer || kind_ == Kind::Real || kind_ == Kind::Boolean; }

  // Raw accessors; the value of another kind gives the zero of the asked one.
  bool boolean() const { return kind_ == Kind::Boolean && b_; }
  int64_t integer() const { return kind_ == Kind::Integer ? i_ : 0; }
  double real() const { return kind_ == Kind::Real || kind_ == Kind::Date ? r_ : 0; }
  const std::string& string() const { return s_; }
  const std::vector<uint8_t>& data() const { return data_; }
  const Array& array() const { return array_; }
  const Dict& dict() const { return dict_; }
  Array& array() { return array_; }
  Dict& dict() { return dict_; }

  // Conversions as a preference read does them: text "YES"/"true"/"1" is
  // true, text "25" is 25, a number is its value.
  bool toBool() const;
  int64_t toInteger() const;
  double toDouble() const;
  // The text "%@" prints for this value: text as is, numbers in decimal.
  std::string describe() const;

  bool operator==(const PlistValue& o) const;

 private:
  Kind kind_;
  bool b_ = false;
  int64_t i_ = 0;
  double r_ = 0;
  std::string s_;
  std::vector<uint8_t> data_;
  Array array_;
  Dict dict_;
};

}  // namespace platform
