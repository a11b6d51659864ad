#include "platform/PropertyList.h"

#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace platform {

namespace {

// XML 1.0 cannot carry most control characters at all, not even escaped,
// and libplist writes them as they are: they become U+FFFD so that an odd
// volume name never makes a file unreadable.
std::string xmlSafe(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') out += "\xEF\xBF\xBD";
    else out += c;
  }
  return out;
}

// Property-list dates count from 1 January 2001.
constexpr double kSecondsFrom1970To2001 = 978307200.0;

struct PlistFree {
  void operator()(plist_t p) const { plist_free(p); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

plist_t toNode(const PlistValue& v) {
  switch (v.kind()) {
    case PlistValue::Kind::Boolean: return plist_new_bool(v.boolean() ? 1 : 0);
    case PlistValue::Kind::Integer: return plist_new_uint(static_cast<uint64_t>(v.integer()));
    case PlistValue::Kind::Real: return plist_new_real(v.real());
    case PlistValue::Kind::String: return plist_new_string(xmlSafe(v.string()).c_str());
    case PlistValue::Kind::Date: {
      double t = v.real() - kSecondsFrom1970To2001;
      if (!std::isfinite(t)) t = 0;
      t = std::fmax(std::fmin(t, 2147483647.0), -2147483648.0);
      double whole = std::floor(t);
      return plist_new_date(static_cast<int32_t>(whole), static_cast<int32_t>((t - whole) * 1e6));
    }
    case PlistValue::Kind::Data: return plist_new_data(reinterpret_cast<const char*>(v.data().data()), v.data().size());
    case PlistValue::Kind::Array: {
      plist_t a = plist_new_array();
      for (const auto& item : v.array()) plist_array_append_item(a, toNode(item));
      return a;
    }
    case PlistValue::Kind::Dict: {
      plist_t d = plist_new_dict();
      for (const auto& [key, item] : v.dict()) plist_dict_set_item(d, xmlSafe(key).c_str(), toNode(item));
      return d;
    }
  }
  return plist_new_string("");
}

std::optional<PlistValue> fromNode(plist_t node) {
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      uint8_t b = 0;
      plist_get_bool_val(node, &b);
      return PlistValue(b != 0);
    }
    case PLIST_UINT:
    case PLIST_UID: {
      uint64_t u = 0;
      plist_get_uint_val(node, &u);
      return PlistValue(static_cast<long long>(u));
    }
    case PLIST_REAL: {
      double d = 0;
      plist_get_real_val(node, &d);
      return PlistValue(d);
    }
    case PLIST_STRING: {
      char* s = nullptr;
      plist_get_string_val(node, &s);
      std::string text = s ? s : "";
      std::free(s);
      return PlistValue(std::move(text));
    }
    case PLIST_DATE: {
      int32_t sec = 0, usec = 0;
      plist_get_date_val(node, &sec, &usec);
      return PlistValue(Date{sec + usec / 1e6 + kSecondsFrom1970To2001});
    }
    case PLIST_DATA: {
      char* bytes = nullptr;
      uint64_t length = 0;
      plist_get_data_val(node, &bytes, &length);
      std::vector<uint8_t> data(bytes, bytes + (bytes ? length : 0));
      std::free(bytes);
      return PlistValue(std::move(data));
    }
    case PLIST_ARRAY: {
      PlistValue::Array items;
      uint32_t n = plist_array_get_size(node);
      for (uint32_t i = 0; i < n; ++i)
        if (auto item = fromNode(plist_array_get_item(node, i))) items.push_back(std::move(*item));
      return PlistValue(std::move(items));
    }
    case PLIST_DICT: {
      PlistValue::Dict dict;
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      while (it) {
        char* key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, it, &key, &item);
        if (!item) {
          std::free(key);
          break;
        }
        if (auto value = fromNode(item); value && key) dict[key] = std::move(*value);
        std::free(key);
      }
      std::free(it);
      return PlistValue(std::move(dict));
    }
    default: return std::nullopt;
  }
}

}  // namespace

std::string plistXml(const PlistValue& root) {
  PlistPtr node(toNode(root));
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(node.get(), &xml, &length);
  std::string out(xml ? xml : "", xml ? length : 0);
  plist_to_xml_free(xml);
  return out;
}

std::optional<PlistValue> plistFromBytes(const std::string& bytes) {
  if (bytes.empty() || bytes.size() > UINT32_MAX) return std::nullopt;
  plist_t raw = nullptr;
  plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &raw);
  PlistPtr root(raw);
  if (!root) return std::nullopt;
  return fromNode(root.get());
}

std::optional<PlistValue::Dict> dictFromPlist(const std::string& bytes) {
  std::optional<PlistValue> value = plistFromBytes(bytes);
  if (!value || value->kind() != PlistValue::Kind::Dict) return std::nullopt;
  return std::move(value->dict());
}

}  // namespace platform
