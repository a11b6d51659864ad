#include "support/BundleInfo.h"

#include <fstream>
#include <sstream>

#include "platform/PropertyList.h"

namespace support {

std::optional<std::string> bundleInfoString(const std::string& bundlePath, const std::string& key) {
  std::ifstream in(bundlePath + "/Contents/Info.plist", std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream ss;
  ss << in.rdbuf();
  auto dict = platform::dictFromPlist(ss.str());
  if (!dict) return std::nullopt;
  auto it = dict->find(key);
  if (it == dict->end() || !it->second.isString()) return std::nullopt;
  return it->second.string();
}

}  // namespace support
