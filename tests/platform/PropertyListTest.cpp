#include "platform/PropertyList.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/AtomicFile.h"
#include "tests/support/TestPlatform.h"

namespace {

using platform::PlistValue;
namespace fs = std::filesystem;

TEST(PropertyList, EveryKindSurvivesTheRoundTrip) {
  const PlistValue::Dict root{
      {"b&<k>", PlistValue::Array{true, false, -7, 2.5, "x"}},
      {"d", PlistValue(platform::Date{1735810860})},
      {"data", PlistValue(std::vector<uint8_t>{'a', 'b', 0, 'd'})},
      {"empty", PlistValue::Array{}},
      {"none", PlistValue::Dict{}},
      {"s", "Mac & <PC> \"q\"\ttab"},
  };
  const std::string xml = platform::plistXml(PlistValue(root));
  EXPECT_TRUE(xml.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist")) << xml;
  EXPECT_EQ(platform::dictFromPlist(xml), root) << xml;
  EXPECT_FALSE(platform::dictFromPlist(platform::plistXml(PlistValue::Array{1})));
  EXPECT_FALSE(platform::plistFromBytes("not a property list"));
}

TEST(PropertyList, ControlCharactersCannotMakeTheFileUnreadable) {
  const std::string xml = platform::plistXml(PlistValue::Dict{{"Names", "Disk\x01\x1b"}});
  EXPECT_EQ(platform::dictFromPlist(xml), (PlistValue::Dict{{"Names", "Disk\xEF\xBF\xBD\xEF\xBF\xBD"}})) << xml;
}

TEST(AtomicFile, ReplacesWholeOrNothing) {
  testing_support::ScratchDir dir;
  fs::path file = dir.write("DrivesList.plist", "old");
  std::string error;
  ASSERT_TRUE(platform::writeFileAtomically(file.string(), "new contents", error)) << error;
  EXPECT_EQ(testing_support::readFile(file), "new contents");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
  ASSERT_TRUE(platform::writeFileAtomically(file.string(), "private", error, 0600)) << error;
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  fs::path missing = dir.path() / "no such folder" / "DrivesList.plist";
  EXPECT_FALSE(platform::writeFileAtomically(missing.string(), "x", error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(fs::exists(missing));
}

}  // namespace
