#include "platform/Format.h"

#include <cstdio>

namespace platform {

namespace {

std::string printOne(const std::string& spec, auto value) {
  int n = std::snprintf(nullptr, 0, spec.c_str(), value);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), spec.c_str(), value);
  out.resize(static_cast<size_t>(n));
  return out;
}

int64_t asSigned(const FormatArg& a) {
  switch (a.kind) {
    case FormatArg::Kind::Signed: return a.s;
    case FormatArg::Kind::Unsigned: return static_cast<int64_t>(a.u);
    case FormatArg::Kind::Real: return static_cast<int64_t>(a.r);
    case FormatArg::Kind::Text: return 0;
  }
  return 0;
}

double asReal(const FormatArg& a) {
  switch (a.kind) {
    case FormatArg::Kind::Signed: return static_cast<double>(a.s);
    case FormatArg::Kind::Unsigned: return static_cast<double>(a.u);
    case FormatArg::Kind::Real: return a.r;
    case FormatArg::Kind::Text: return 0;
  }
  return 0;
}

std::string asText(const FormatArg& a) {
  switch (a.kind) {
    case FormatArg::Kind::Text: return a.text;
    case FormatArg::Kind::Signed: return std::to_string(a.s);
    case FormatArg::Kind::Unsigned: return std::to_string(a.u);
    case FormatArg::Kind::Real: return printOne("%g", a.r);
  }
  return {};
}

}  // namespace

std::string formatArgs(std::string_view f, const std::vector<FormatArg>& args) {
  static const FormatArg kMissing(std::string{});
  std::string out;
  size_t next = 0;
  size_t i = 0;
  while (i < f.size()) {
    char c = f[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 < f.size() && f[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    // %[flags][width][.precision][length]conversion
    size_t j = i + 1;
    std::string flags, width, precision;
    while (j < f.size() && std::string_view("-+ 0#").find(f[j]) != std::string_view::npos) flags += f[j++];
    while (j < f.size() && f[j] >= '0' && f[j] <= '9' && width.size() < 4) width += f[j++];
    if (j < f.size() && f[j] == '.') {
      precision = ".";
      ++j;
      while (j < f.size() && f[j] >= '0' && f[j] <= '9' && precision.size() < 4) precision += f[j++];
    }
    int longs = 0;
    while (j < f.size() && std::string_view("hlqzjt").find(f[j]) != std::string_view::npos) {
      if (f[j] == 'l' || f[j] == 'q' || f[j] == 'z' || f[j] == 'j') ++longs;
      ++j;
    }
    if (j >= f.size()) {
      out.append(f.substr(i));
      break;
    }
    char conv = f[j];
    const FormatArg& a = next < args.size() ? args[next] : kMissing;
    std::string base = "%" + flags + width + precision;
    switch (conv) {
      case '@':
      case 's':
        out += printOne(base + "s", asText(a).c_str());
        ++next;
        break;
      case 'd':
      case 'i':
        if (longs) out += printOne(base + "lld", static_cast<long long>(asSigned(a)));
        else out += printOne(base + "d", static_cast<int>(asSigned(a)));
        ++next;
        break;
      case 'u':
      case 'x':
      case 'X':
      case 'o':
        if (longs) out += printOne(base + "ll" + conv, static_cast<unsigned long long>(asSigned(a)));
        else out += printOne(base + conv, static_cast<unsigned>(asSigned(a)));
        ++next;
        break;
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
        out += printOne(base + conv, asReal(a));
        ++next;
        break;
      case 'c':
        out += printOne(base + "c", static_cast<int>(asSigned(a)));
        ++next;
        break;
      default:
        out.append(f.substr(i, j - i + 1));
        break;
    }
    i = j + 1;
  }
  return out;
}

}  // namespace platform
