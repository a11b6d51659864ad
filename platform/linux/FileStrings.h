// Localized texts from Resources/<lang>.lproj/<Table>.strings, in the
// user's language from LANGUAGE, LC_ALL, LC_MESSAGES or LANG, with English
// as the fallback table and the built-in default after it.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Services.h"

namespace platform::real {

class FileStrings : public Strings {
 public:
  // `log` receives one message per table file that cannot be read.
  FileStrings(std::string resourcesPath, Log* log);

  std::string localizedString(const std::string& table, const std::string& key,
                              const std::string& defaultValue) override;
  std::string preferredLocalization() override;

  // The user's languages as lproj folder names, most wanted first, e.g.
  // {"fr", "en"}; only those shipped in the resources are kept.
  std::vector<std::string> languages();

 private:
  const std::map<std::string, std::string>& table(const std::string& lang, const std::string& name);

  std::mutex mutex_;
  std::string resources_;
  Log* log_;
  std::map<std::string, std::map<std::string, std::string>> tables_;  // "fr/Main" -> entries
};

// Language codes from a locale environment value ("fr_FR.UTF-8:de" -> fr, de).
std::vector<std::string> languagesFromEnvironment(const std::string& value);

}  // namespace platform::real
