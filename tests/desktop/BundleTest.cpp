// The bundle the build lays out, and what `cmake --install` makes of it.
#include <gtest/gtest.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "platform/Domains.h"
#include "platform/PropertyList.h"
#include "platform/linux/PlistDomainStore.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TestPlatform.h"

namespace fs = std::filesystem;

namespace {

void expectBundle(const fs::path& bundle) {
  auto info = platform::dictFromPlist(testing_support::readFile(bundle / "Contents/Info.plist"));
  ASSERT_TRUE(info) << bundle;
  EXPECT_EQ(info->at("CFBundleIdentifier").string(), platform::kMenuItemDomain);
  EXPECT_EQ(info->at("CFBundleExecutable").string(), "tarvel-menu-item");
  EXPECT_EQ(info->at("CFBundleVersion").string(), TARVEL_VERSION);
  EXPECT_EQ(info->at("CFBundleShortVersionString").string(), TARVEL_VERSION);
  // Empty unless the build names a feed (TARVEL_FEED_URL).
  const std::string feed = info->at("SUFeedURL").string();
  EXPECT_TRUE(feed.empty() || feed.starts_with("https://")) << feed;
  for (const char* icon : {"Tarvel Green.png", "Tarvel Yellow.png", "Tarvel Red.png"})
    EXPECT_EQ(testing_support::readFile(bundle / "Contents/Resources" / icon).substr(0, 8), "\x89PNG\r\n\x1a\n")
        << icon;
  for (std::string lang : {"en", "fr"})
    for (std::string table : {"Main", "Attributes", "PXCrashReporter"})
      EXPECT_TRUE(fs::exists(bundle / "Contents/Resources" / (lang + ".lproj") / (table + ".strings")));
  EXPECT_EQ(fs::weakly_canonical(bundle / "Contents/MacOS/sendEmail"), fs::weakly_canonical("/usr/bin/sendEmail"));
  // The bundle's smartctl is the gate, which refuses what Tarvel never runs.
  auto r = testing_support::runProcess({(bundle / "Contents/MacOS/smartctl").string(), "-s", "off", "/dev/sda"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("smartctl gate: refused"), std::string::npos);
}

}  // namespace

TEST(Bundle, BuildTreeLayout) { expectBundle(TARVEL_BUNDLE_DIR); }

TEST(Bundle, InstallCopiesTheBundleLinksTheProgramsAndGrantsTheGate) {
  testing_support::ScratchDir prefix;
  auto r = testing_support::runProcess(
      {TARVEL_CMAKE_COMMAND, "--install", TARVEL_BUILD_DIR, "--prefix", prefix.path().string()});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  fs::path bundle = prefix.path() / "lib/tarvel/Tarvel Menu Item.app";
  expectBundle(bundle);
  fs::path tarvel = prefix.path() / "bin/tarvel";
  ASSERT_TRUE(fs::is_symlink(tarvel));
  EXPECT_TRUE(fs::read_symlink(tarvel).is_relative()) << "a package's links stay inside it";
  EXPECT_EQ(fs::canonical(tarvel), fs::canonical(bundle / "Contents/MacOS/tarvel"));
  fs::path tray = prefix.path() / "bin/tarvel-menu-item";
  ASSERT_TRUE(fs::is_symlink(tray));
  EXPECT_EQ(fs::canonical(tray), fs::canonical(bundle / "Contents/MacOS/tarvel-menu-item"));
  // The tray program in the application menu and at log-in; a private
  // prefix keeps its autostart entry to itself.
  for (const char* entry : {"share/applications/tarvel-menu-item.desktop", "etc/xdg/autostart/tarvel-menu-item.desktop"})
    EXPECT_NE(testing_support::readFile(prefix.path() / entry).find("\nExec=tarvel-menu-item\n"), std::string::npos)
        << entry;
  EXPECT_TRUE(fs::exists(prefix.path() / "share/icons/hicolor/64x64/apps/tarvel-menu-item.png"));
  EXPECT_TRUE(fs::exists(prefix.path() / "share/tarvel/prometheus/tarvel.rules.yml"));
  for (const char* page : {"tarvel.1.gz", "tarvel-menu-item.1.gz"})
    EXPECT_EQ(testing_support::readFile(prefix.path() / "share/man/man1" / page).substr(0, 2), "\x1f\x8b") << page;

  // The hourly check's units run this prefix's tarvel; systemd finds them
  // sound, down to the man page they name.
  fs::path units = prefix.path() / "lib/systemd/system";
  EXPECT_NE(testing_support::readFile(units / "tarvel.service")
                .find("\nExecStart=" + (prefix.path() / "bin/tarvel").string() + " --prometheus "),
            std::string::npos);
  auto verified = testing_support::runProcess(
      {"/usr/bin/systemd-analyze", "verify", (units / "tarvel.service").string(), (units / "tarvel.timer").string()}, "",
      {{"MANPATH", (prefix.path() / "share/man").string()}});
  EXPECT_EQ(verified.status, 0) << verified.out << verified.err;
  EXPECT_EQ(verified.out + verified.err, "");

  // Root gets the capabilities set, unless the file system cannot hold
  // them; anyone else is told how to get them.
  bool granted = getxattr((bundle / "Contents/MacOS/smartctl").c_str(), "security.capability", nullptr, 0) > 0;
  std::string said = r.out + r.err;
  if (geteuid() == 0)
    EXPECT_TRUE(granted || said.find("Could not give") != std::string::npos) << said;
  else
    EXPECT_NE(said.find("sudo cmake --install build"), std::string::npos) << said;

  // The service starts the gate inside its capability bounding set; the
  // kernel refuses a program whose file capabilities reach beyond it.
  if (!granted) return;
  std::string unit = testing_support::readFile(units / "tarvel.service");
  const std::string key = "\nCapabilityBoundingSet=";
  size_t at = unit.find(key);
  ASSERT_NE(at, std::string::npos);
  std::string bounding = "-all", word;
  std::istringstream names(unit.substr(at + key.size(), unit.find('\n', at + 1) - at - key.size()));
  while (names >> word) {
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    bounding += ",+" + word.substr(4);  // "cap_sys_rawio" -> "sys_rawio"
  }
  auto started = testing_support::runProcess({"/usr/bin/setpriv", "--bounding-set=" + bounding, "--no-new-privs", "--",
                                              (bundle / "Contents/MacOS/smartctl").string(), "-V"});
  EXPECT_EQ(started.status, 0) << bounding << ": " << started.err;
}
