// The string tables shipped in the bundle: readable, complete in both
// languages, and with the same placeholders in each translation.
#include <gtest/gtest.h>

#include <regex>

#include "platform/Platform.h"
#include "platform/linux/FileStrings.h"
#include "platform/linux/StringsFile.h"
#include "tests/support/TestPlatform.h"

namespace {

const std::string kResources = testing_support::sourceDir() / "resources";

std::map<std::string, std::string> table(const std::string& lang, const std::string& name) {
  auto parsed =
      platform::real::parseStrings(testing_support::readFile(kResources + "/" + lang + ".lproj/" + name + ".strings"));
  EXPECT_FALSE(parsed.error) << lang << "/" << name << ": " << parsed.error.value_or("");
  EXPECT_FALSE(parsed.entries.empty()) << lang << "/" << name;
  return parsed.entries;
}

std::multiset<std::string> placeholders(const std::string& text) {
  static const std::regex r("%%[A-Z]+|%%|%@|%d");
  std::multiset<std::string> out;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), r); it != std::sregex_iterator(); ++it)
    out.insert(it->str());
  return out;
}

// The language from LANGUAGE alone, for one test.
testing_support::EnvironmentScope language(const std::string& value) {
  return testing_support::EnvironmentScope({{"LANGUAGE", value}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", ""}});
}

}  // namespace

TEST(StringTables, FrenchTranslatesEveryEnglishEntryWithTheSamePlaceholders) {
  for (const char* name : {"Main", "Attributes", "PXCrashReporter"}) {
    auto en = table("en", name), fr = table("fr", name);
    for (const auto& [key, text] : en) {
      ASSERT_TRUE(fr.count(key)) << name << ": no French entry for " << key;
      EXPECT_EQ(placeholders(text), placeholders(fr[key])) << name << "/" << key;
    }
    for (const auto& [key, text] : fr)
      EXPECT_TRUE(en.count(key) || key == "Exception2") << name << ": French-only key " << key;
  }
}

// Each alert has its own built-in informative text, so no English entry may
// replace all three; the French one carries the support contact.
TEST(StringTables, Exception2IsFrenchOnly) {
  EXPECT_FALSE(table("en", "Main").count("Exception2"));
  EXPECT_EQ(placeholders(table("fr", "Main")["Exception2"]), placeholders("%@"));
}

TEST(StringTables, LanguageChoiceFromTheEnvironment) {
  platform::memory::MemoryLog log;
  platform::real::FileStrings strings(kResources, &log);
  {
    const auto french = language("fr_FR.UTF-8");
    EXPECT_EQ(strings.preferredLocalization(), "French");
    EXPECT_EQ(strings.localizedString("Main", "QuitTR", "Quit"), "Quitter");
    EXPECT_EQ(strings.localizedString("Attributes", "Power_On_Hours", "Power_On_Hours"),
              "Nombre d'heures de fonctionnement");
  }
  {
    const auto german = language("de_DE");  // not shipped: English
    EXPECT_EQ(strings.preferredLocalization(), "English");
    EXPECT_EQ(strings.localizedString("Main", "Exception2", "built-in"), "built-in");
    EXPECT_EQ(strings.localizedString("Attributes", "Some_New_Attribute", "Some_New_Attribute"), "Some_New_Attribute");
  }
  EXPECT_TRUE(log.lines().empty());
}
