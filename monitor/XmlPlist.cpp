#include "monitor/XmlPlist.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

using platform::PlistValue;

namespace {

// XML 1.0 cannot carry most control characters at all, not even escaped;
// they become U+FFFD so that an odd volume name never makes the file unreadable.
std::string escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\t':
      case '\n':
      case '\r': out += c; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) out += "\xEF\xBF\xBD";
        else out += c;
    }
  }
  return out;
}

std::string realText(double r) {
  if (std::isnan(r)) return "nan";
  if (std::isinf(r)) return r > 0 ? "+infinity" : "-infinity";
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, r);
  return std::string(buf, result.ptr);
}

std::string dateText(double secondsSince1970) {
  std::time_t t = static_cast<std::time_t>(std::floor(secondsSince1970));
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

std::string base64(const std::vector<uint8_t>& data) {
  static const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < data.size(); i += 3) {
    uint32_t n = data[i] << 16;
    if (i + 1 < data.size()) n |= data[i + 1] << 8;
    if (i + 2 < data.size()) n |= data[i + 2];
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += i + 1 < data.size() ? kAlphabet[(n >> 6) & 63] : '=';
    out += i + 2 < data.size() ? kAlphabet[n & 63] : '=';
  }
  return out;
}

void writeValue(const PlistValue& v, int depth, std::string& out) {
  const std::string indent(depth, '\t');
  out += indent;
  switch (v.kind()) {
    case PlistValue::Kind::Boolean: out += v.boolean() ? "<true/>\n" : "<false/>\n"; return;
    case PlistValue::Kind::Integer: out += "<integer>" + std::to_string(v.integer()) + "</integer>\n"; return;
    case PlistValue::Kind::Real: out += "<real>" + realText(v.real()) + "</real>\n"; return;
    case PlistValue::Kind::String: out += "<string>" + escape(v.string()) + "</string>\n"; return;
    case PlistValue::Kind::Date: out += "<date>" + dateText(v.real()) + "</date>\n"; return;
    case PlistValue::Kind::Data: out += "<data>" + base64(v.data()) + "</data>\n"; return;
    case PlistValue::Kind::Array:
      if (v.array().empty()) {
        out += "<array/>\n";
        return;
      }
      out += "<array>\n";
      for (const PlistValue& element : v.array()) writeValue(element, depth + 1, out);
      out += indent + "</array>\n";
      return;
    case PlistValue::Kind::Dict:
      if (v.dict().empty()) {
        out += "<dict/>\n";
        return;
      }
      out += "<dict>\n";
      for (const auto& [key, element] : v.dict()) {
        out += indent + "\t<key>" + escape(key) + "</key>\n";
        writeValue(element, depth + 1, out);
      }
      out += indent + "</dict>\n";
      return;
  }
}

}  // namespace

std::string xmlPropertyList(const PlistValue& root) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">\n";
  writeValue(root, 0, out);
  return out + "</plist>\n";
}

bool writeFileAtomically(const std::string& path, const std::string& contents, std::string& error) {
  std::string temp = path + ".XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  // mkstemp makes the file private; the result is as readable as any file the user writes.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  const char* p = contents.data();
  size_t left = contents.size();
  bool ok = true;
  while (ok && left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else p += n, left -= static_cast<size_t>(n);
  }
  if (ok && fsync(fd) != 0) ok = false;
  if (!ok) error = std::strerror(errno);
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = std::strerror(errno);
  }
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    error = std::strerror(errno);
  }
  if (!ok) ::unlink(temp.c_str());
  return ok;
}
