#include <gtest/gtest.h>
#include <utime.h>

#include "platform/Platform.h"
#include "support/CrashCheck.h"
#include "support/CrashReportText.h"
#include "support/SystemInformation.h"
#include "tests/support/TestPlatform.h"

using testing_support::PlatformTest;

namespace {

TEST(CrashReportText, LastReportOfALog) {
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {"first\n\n**********\n\nsecond\n\n**********\n\nthird\n", "third\n"},
      {"only report", "only report"},
      {"ends with a separator\n\n**********\n\n", ""},
      {"", ""},
      {std::nullopt, "*** Couldn't read Report ***"},
  };
  for (const auto& [file, report] : cases) EXPECT_EQ(support::lastReportPiece(file), report);
}

TEST(CrashReportText, CrashReportLines) {
  EXPECT_EQ(support::crashReportText("iMac", 1, 2596, "LOG", "{}"),
            "Model: iMac\nCPU Speed: 2.60 GHz\nLOG\n\nPreferences:\n{}");
  EXPECT_EQ(support::crashReportText("iMac", 4, 3400, "LOG", "(null)"),
            "Model: iMac\nCPU Speed: 4x 3.40 GHz\nLOG\n\nPreferences:\n(null)");
  // an unknown clock is 1 MHz
  EXPECT_EQ(support::crashReportText("m", 1, 1, "", ""), "Model: m\nCPU Speed: 0.00 GHz\n\n\nPreferences:\n");
}

TEST(CrashReportText, FeedbackSystemInformation) {
  support::MachineFacts facts{"Unknown (VMware7,1)", 2, 2596, "AMD EPYC", 8191, "12"};
  EXPECT_EQ(support::feedbackSystemInformation("Tarvel Menu Item", "1.0.0", facts, "{PollDrives = 1; }"),
            "Application: Tarvel Menu Item 1.0.0\nModel: Unknown (VMware7,1)\nCPU Speed: 2x 2.60 GHz\n"
            "CPU: AMD EPYC\nRAM: 7 GB\nSystem Version: 12\n\nPreferences:\n{PollDrives = 1; }");
}

class CrashCheckTest : public PlatformTest {
 protected:
  std::string folder() { return support::crashLogFolder(); }
  std::string log(const std::string& name, const std::string& text, time_t modified) {
    auto p = scratch.write("home/.local/state/Tarvel/CrashReports/" + name, text);
    struct utimbuf times {modified, modified};
    utime(p.c_str(), &times);
    return p.string();
  }
};

TEST_F(CrashCheckTest, OffersOnlyALogNewerThanTheLastHandled) {
  EXPECT_EQ(support::newCrashReportText("app", folder()), std::nullopt);

  // 1600000000 is a multiple of 128, so a float holds it exactly.
  log("app_1.crash", "old\n\n**********\n\nnew report\n", 1600000000);
  mem.platform.preferences->setInteger("SomeSetting", 5);
  auto text = support::newCrashReportText("app", folder());
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, support::crashReportText(support::orNull(MachineModelName()), CPUCount(), CPUClockSpeedMHz(),
                                            "new report\n", "{SomeSetting = 5; }"));

  mem.platform.preferences->setFloat("PXCrashReporterLastCrashReportDate", 1600000000.0f);
  EXPECT_EQ(support::newCrashReportText("app", folder()), std::nullopt) << "equal is not newer";
  mem.platform.preferences->setFloat("PXCrashReporterLastCrashReportDate", 1599999872.0f);
  EXPECT_TRUE(support::newCrashReportText("app", folder()));
}

TEST_F(CrashCheckTest, HandlingStoresTheTimeAsAFloat) {
  log("app_1.crash", "report", time(nullptr) - 1000);
  ASSERT_TRUE(support::newCrashReportText("app", folder()));
  support::markCrashReportsHandled();
  auto stored = mem.store->load("own");
  ASSERT_TRUE(stored);
  const auto& value = stored->at("PXCrashReporterLastCrashReportDate");
  EXPECT_EQ(value.kind(), platform::PlistValue::Kind::Real);
  EXPECT_EQ(static_cast<double>(static_cast<float>(value.real())), value.real());
  EXPECT_NEAR(support::lastCrashReportDate(), static_cast<double>(time(nullptr)), 128.0);
  EXPECT_EQ(support::newCrashReportText("app", folder()), std::nullopt);
}

TEST_F(CrashCheckTest, UnreadableLogStillGivesAReport) {
  log("app_1.crash", "not utf-8 \xFF", 1000);
  auto text = support::newCrashReportText("app", folder());
  ASSERT_TRUE(text);
  EXPECT_NE(text->find("\n*** Couldn't read Report ***\n\nPreferences:\n(null)"), std::string::npos) << *text;
}

}  // namespace
