#include <gtest/gtest.h>

#include <cmath>

#include "monitor/XmlPlist.h"
#include "tests/support/TestPlatform.h"

namespace {

using platform::PlistValue;
namespace fs = std::filesystem;

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";

TEST(XmlPlist, EveryKindNestedAndEscaped) {
  PlistValue::Dict root{
      {"b&<k>", PlistValue::Array{true, false, -7, 2.5, "x"}},
      {"d", PlistValue(platform::Date{1735810860.75})},
      {"data", PlistValue(std::vector<uint8_t>{'a', 'b', 'c', 'd'})},
      {"empty", PlistValue::Array{}},
      {"none", PlistValue::Dict{}},
      {"s", "Mac & <PC> \"q\"\ttab\x01"},
      {"z", PlistValue::Dict{{"n", std::nan("")}, {"i", -HUGE_VAL}, {"t", ""}}},
  };
  EXPECT_EQ(xmlPropertyList(PlistValue(root)),
            kHead +
                "<dict>\n"
                "\t<key>b&amp;&lt;k&gt;</key>\n"
                "\t<array>\n"
                "\t\t<true/>\n"
                "\t\t<false/>\n"
                "\t\t<integer>-7</integer>\n"
                "\t\t<real>2.5</real>\n"
                "\t\t<string>x</string>\n"
                "\t</array>\n"
                "\t<key>d</key>\n"
                "\t<date>2025-01-02T09:41:00Z</date>\n"
                "\t<key>data</key>\n"
                "\t<data>YWJjZA==</data>\n"
                "\t<key>empty</key>\n"
                "\t<array/>\n"
                "\t<key>none</key>\n"
                "\t<dict/>\n"
                "\t<key>s</key>\n"
                "\t<string>Mac &amp; &lt;PC&gt; \"q\"\ttab\xEF\xBF\xBD</string>\n"
                "\t<key>z</key>\n"
                "\t<dict>\n"
                "\t\t<key>i</key>\n"
                "\t\t<real>-infinity</real>\n"
                "\t\t<key>n</key>\n"
                "\t\t<real>nan</real>\n"
                "\t\t<key>t</key>\n"
                "\t\t<string></string>\n"
                "\t</dict>\n"
                "</dict>\n"
                "</plist>\n");
}

TEST(XmlPlist, AtomicWriteReplacesWholeOrNothing) {
  testing_support::ScratchDir dir;
  fs::path file = dir.write("DrivesList.plist", "old");
  std::string error;
  ASSERT_TRUE(writeFileAtomically(file.string(), "new contents", error)) << error;
  EXPECT_EQ(testing_support::readFile(file), "new contents");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

  fs::path missing = dir.path() / "no such folder" / "DrivesList.plist";
  EXPECT_FALSE(writeFileAtomically(missing.string(), "x", error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(fs::exists(missing));
}

}  // namespace
