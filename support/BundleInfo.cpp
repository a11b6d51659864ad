#include "support/BundleInfo.h"

#include <plist/plist.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace {
struct PlistFree {
  void operator()(plist_t p) const { plist_free(p); }
};
}  // namespace

std::optional<std::string> bundleInfoString(const std::string& bundlePath, const std::string& key) {
  std::ifstream in(bundlePath + "/Contents/Info.plist", std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string data = ss.str();
  if (data.empty() || data.size() > 16 * 1024 * 1024) return std::nullopt;

  plist_t raw = nullptr;
  plist_from_memory(data.data(), static_cast<uint32_t>(data.size()), &raw);
  std::unique_ptr<void, PlistFree> root(raw);
  if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return std::nullopt;
  plist_t item = plist_dict_get_item(root.get(), key.c_str());
  if (!item || plist_get_node_type(item) != PLIST_STRING) return std::nullopt;
  char* value = nullptr;
  plist_get_string_val(item, &value);
  if (!value) return std::nullopt;
  std::string out(value);
  std::free(value);
  return out;
}
