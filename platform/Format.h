// printf-style formatting with "%@" for text, safe against formats and
// arguments that do not match (localized formats come from data files).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace platform {

struct FormatArg {
  enum class Kind { Signed, Unsigned, Real, Text } kind;
  int64_t s = 0;
  uint64_t u = 0;
  double r = 0;
  std::string text;

  template <class T>
  FormatArg(T v) requires std::is_integral_v<T> {
    if constexpr (std::is_same_v<T, bool>) {
      kind = Kind::Signed;
      s = v ? 1 : 0;
    } else if constexpr (std::is_signed_v<T>) {
      kind = Kind::Signed;
      s = v;
    } else {
      kind = Kind::Unsigned;
      u = v;
    }
  }
  FormatArg(double v) : kind(Kind::Real), r(v) {}
  FormatArg(float v) : kind(Kind::Real), r(v) {}
  FormatArg(std::string v) : kind(Kind::Text), text(std::move(v)) {}
  FormatArg(const char* v) : kind(Kind::Text), text(v ? v : "") {}
  FormatArg(std::string_view v) : kind(Kind::Text), text(v) {}
};

std::string formatArgs(std::string_view format, const std::vector<FormatArg>& args);

template <class... A>
std::string format(std::string_view fmt, const A&... args) {
  return formatArgs(fmt, std::vector<FormatArg>{FormatArg(args)...});
}

}  // namespace platform
