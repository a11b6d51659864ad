#include "platform/linux/FileStrings.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/linux/StringsFile.h"

namespace platform::real {

namespace fs = std::filesystem;

std::vector<std::string> languagesFromEnvironment(const std::string& value) {
  std::vector<std::string> out;
  std::stringstream ss(value);
  std::string item;
  while (std::getline(ss, item, ':')) {
    std::string code = item.substr(0, item.find_first_of("_.@"));
    if (code.empty() || code == "C" || code == "POSIX") continue;
    out.push_back(code);
  }
  return out;
}

FileStrings::FileStrings(std::string resourcesPath, Log* log) : resources_(std::move(resourcesPath)), log_(log) {}

std::vector<std::string> FileStrings::languages() {
  std::vector<std::string> wanted;
  for (const char* var : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    if (!v || !*v) continue;
    wanted = languagesFromEnvironment(v);
    if (!wanted.empty()) break;
  }
  std::vector<std::string> shipped;
  for (const auto& code : wanted) {
    std::error_code ec;
    if (fs::is_directory(fs::path(resources_) / (code + ".lproj"), ec)) shipped.push_back(code);
  }
  shipped.push_back("en");
  return shipped;
}

std::string FileStrings::preferredLocalization() {
  static const std::map<std::string, std::string> names = {
      {"en", "English"}, {"fr", "French"}, {"de", "German"}, {"es", "Spanish"}, {"it", "Italian"}, {"ja", "Japanese"}};
  std::string code = languages().front();
  auto it = names.find(code);
  return it == names.end() ? code : it->second;
}

const std::map<std::string, std::string>& FileStrings::table(const std::string& lang, const std::string& name) {
  std::string id = lang + "/" + name;
  auto it = tables_.find(id);
  if (it != tables_.end()) return it->second;
  std::map<std::string, std::string> entries;
  fs::path file = fs::path(resources_) / (lang + ".lproj") / (name + ".strings");
  std::ifstream in(file, std::ios::binary);
  if (in) {
    std::stringstream buf;
    buf << in.rdbuf();
    StringsParse parsed = parseStrings(buf.str());
    entries = std::move(parsed.entries);
    if (parsed.error && log_) log_->write("Could not read string table " + file.string() + ", " + *parsed.error);
  }
  return tables_.emplace(id, std::move(entries)).first->second;
}

std::string FileStrings::localizedString(const std::string& tableName, const std::string& key,
                                         const std::string& defaultValue) {
  std::lock_guard lock(mutex_);
  for (const auto& lang : languages()) {
    const auto& t = table(lang, tableName);
    if (auto it = t.find(key); it != t.end()) return it->second;
  }
  return defaultValue;
}

}  // namespace platform::real
