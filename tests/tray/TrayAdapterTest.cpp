// The tray program's parts without a desktop: the menu mirroring, timers,
// finding the main application and the command line.
#include <gtest/gtest.h>

#include <QtCore/QCoreApplication>
#include <QtCore/QTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>

#include <fstream>

#include "app/tray/QtTimers.h"
#include "app/tray/TrayOptions.h"
#include "app/tray/TrayStatusItem.h"
#include "platform/desktop/ApplicationLauncher.h"
#include "platform/desktop/MessageBoxAlerts.h"
#include "tests/CaseFile.h"
#include "tests/support/TestPlatform.h"
#include "tests/tray/PanelHarness.h"

namespace fs = std::filesystem;
using namespace monitor;
using tray::ResourceImages;
using tray_test::spinUntil;

namespace {

const std::string kResources = std::string(TARVEL_BUNDLE_DIR) + "/Contents/Resources";

// A menu as the controller builds it after a check of two drives.
Menu checkedMenu() {
  Menu menu;
  menu.addItem(MenuItem::separatorItem());
  menu.addItemWithTitle("Last Updated: 1/2/25, 9:41 AM", MenuAction::None, "").setEnabled(false);
  menu.addItem(MenuItem::separatorItem());
  menu.addItemWithTitle("Update Drives", MenuAction::UpdateDrives, "");
  menu.addItemWithTitle("Quit", MenuAction::Quit, "q");
  menu.setAutoenablesItems(false);
  MenuItem& disk = menu.insertItemWithTitle("disk1", MenuAction::None, "", 0);
  Menu parts("disk1");
  parts.setAutoenablesItems(false);
  parts.addItemWithTitle("Photos & Films", MenuAction::None, "").setEnabled(false);
  parts.addItemWithTitle("/", MenuAction::None, "").setEnabled(false);
  menu.setSubmenu(parts, disk);
  disk.setImage("Tarvel Red", 32);
  MenuItem& status = menu.insertItemWithTitle("Overall Status: FAILED!", MenuAction::None, "", 1);
  status.setIndentationLevel(3);
  status.setEnabled(false);
  return menu;
}

}  // namespace

TEST(TrayMenu, ChosenItemsReachTheControllerAfterTheClick) {
  ResourceImages images(kResources, nullptr);
  QMenu target;
  std::vector<std::unique_ptr<QMenu>> submenus;
  Menu model = checkedMenu();
  std::vector<MenuAction> performed;
  tray::ActionHandler perform = [&](MenuAction a) {
    performed.push_back(a);
    // What a check does: the menu is rebuilt under the item just chosen.
    tray::mirrorMenu(model, {}, target, submenus, images, perform);
  };
  tray::mirrorMenu(model, {}, target, submenus, images, perform);
  for (QAction* a : target.actions())
    if (a->text() == "Update Drives") a->trigger();
  EXPECT_TRUE(performed.empty()) << "ran inside the click";
  ASSERT_TRUE(spinUntil([&] { return performed.size() == 1; }));
  EXPECT_EQ(performed[0], MenuAction::UpdateDrives);

  // Items without an action do nothing when chosen.
  target.actions()[0]->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(performed.size(), 1u);
}

TEST(TrayMenu, LabelsKeepAmpersandsAndShowIndentation) {
  const std::tuple<std::string, int, QString> cases[] = {
      {"Tom & Jerry", 0, "Tom && Jerry"},
      {"Overall Status: Passed", 3, "\u2003\u2003\u2003Overall Status: Passed"},
      {"", 1, "\u2003"},
      {"x", -1, "x"},
  };
  for (const auto& [title, level, label] : cases) EXPECT_EQ(tray::menuItemLabel(title, level), label) << title;
}

TEST(TrayMenu, ImagesByNameAtTheirSizeAndMissingOnesLoggedOnce) {
  platform::memory::MemoryLog log;
  ResourceImages images(kResources, &log);
  QIcon green = images.icon("Tarvel Green", 18);
  ASSERT_FALSE(green.isNull());
  EXPECT_EQ(green.availableSizes().front(), QSize(18, 18));
  EXPECT_TRUE(images.icon("Tarvel Purple", 18).isNull());
  EXPECT_TRUE(images.icon("Tarvel Purple", 32).isNull());
  ASSERT_EQ(log.lines().size(), 1u);
  EXPECT_NE(log.lines()[0].find("Tarvel Purple.png"), std::string::npos);
}

TEST(TrayTimers, RepeatAfterAFullPeriodUntilInvalidatedEvenFromTheirOwnTick) {
  tray::QtTimerService timers;
  int ticks = 0;
  TimerService::Handle handle = 0;
  handle = timers.scheduleRepeating(0.05, [&] {
    if (++ticks == 3) timers.invalidate(handle);
  });
  QCoreApplication::processEvents();
  EXPECT_EQ(ticks, 0) << "the first tick comes one period later";
  ASSERT_TRUE(spinUntil([&] { return ticks == 3; }));
  EXPECT_EQ(timers.count(), 0u);
  // No fourth tick once invalidated: wait for a tick of a second timer
  // scheduled afterwards with the same period.
  bool later = false;
  TimerService::Handle other = timers.scheduleRepeating(0.05, [&] { later = true; });
  ASSERT_TRUE(spinUntil([&] { return later; }));
  timers.invalidate(other);
  timers.invalidate(other);  // twice is harmless
  EXPECT_EQ(ticks, 3);
}

TEST(TrayAlerts, TicksAndMenuChoicesWaitUntilTheAlertHasClosed) {
  tray::QtTimerService timers;
  ResourceImages images(kResources, nullptr);
  QMenu target;
  std::vector<std::unique_ptr<QMenu>> submenus;
  std::vector<MenuAction> performed;
  tray::mirrorMenu(checkedMenu(), {}, target, submenus, images, [&](MenuAction a) { performed.push_back(a); });
  QAction* update = nullptr;
  for (QAction* a : target.actions())
    if (a->text() == "Update Drives") update = a;
  ASSERT_TRUE(update);

  int ticks = 0, ticksWhileOpen = -1;
  size_t performedWhileOpen = 99;
  // Inside the alert's own event loop: two clicks and a few timer periods,
  // then the user presses the button.
  QTimer::singleShot(0, [&] {
    update->trigger();
    update->trigger();
    QTimer::singleShot(150, [&] {
      ticksWhileOpen = ticks;
      performedWhileOpen = performed.size();
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_TRUE(box);
      box->buttons().front()->click();
    });
  });
  timers.scheduleRepeating(0.02, [&] { ++ticks; });
  platform::desktop::MessageBoxAlerts().showCritical("An Error Occurred", "Details", "OK");
  EXPECT_FALSE(platform::desktop::isAlertOpen());
  EXPECT_EQ(ticksWhileOpen, 0);
  EXPECT_EQ(performedWhileOpen, 0u);
  EXPECT_TRUE(performed.empty()) << "ran inside the code that showed the alert";
  // Then one held tick and one check for both clicks.
  ASSERT_TRUE(spinUntil([&] { return !performed.empty() && ticks > 0; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(performed, std::vector<MenuAction>{MenuAction::UpdateDrives});
}

// The cases of tests/tray/launch.txt.
TEST(TrayLaunch, DesktopEntryCommands) {
  for (const auto& c : testing_support::readCases("tray/launch.txt", "entry")) {
    std::optional<platform::desktop::LaunchCommand> command;
    if (c[2] != "-") command = platform::desktop::LaunchCommand{testing_support::split(c[2]), c[3] == "-" ? "" : c[3]};
    EXPECT_EQ(platform::desktop::desktopEntryCommand(c[1]), command) << c.line;
  }
}

TEST(TrayLaunch, FindsTheEntryFolderByFolderThenThePath) {
  testing_support::ScratchDir scratch;
  scratch.write("bin/Tarvel", "#!/bin/sh\n", true);
  testing_support::EnvironmentScope env(
      {{"XDG_DATA_HOME", (scratch.path() / "home").string()},
       {"XDG_DATA_DIRS", (scratch.path() / "sys1").string() + ":relative:" + (scratch.path() / "sys2").string()},
       {"PATH", (scratch.path() / "bin").string() + ":/usr/bin:/bin"}});
  using platform::desktop::findApplication;
  const std::vector<std::string> ids{"Tarvel", "tarvel", "org.tarvel.Tarvel"};

  ASSERT_TRUE(findApplication(ids, "Tarvel"));
  EXPECT_EQ(findApplication(ids, "Tarvel")->arguments,
            std::vector<std::string>{(scratch.path() / "bin/Tarvel").string()});
  EXPECT_FALSE(findApplication(ids, "NoSuchProgram"));

  scratch.write("sys2/applications/tarvel.desktop", "[Desktop Entry]\nExec=from-sys2\n");
  EXPECT_EQ(findApplication(ids, "Tarvel")->arguments[0], "from-sys2");
  scratch.write("sys1/applications/org.tarvel.Tarvel.desktop", "[Desktop Entry]\nExec=from-sys1\n");
  EXPECT_EQ(findApplication(ids, "Tarvel")->arguments[0], "from-sys1");
  // The user's own entry comes first; one that hides the application falls
  // through to the next folder.
  scratch.write("home/applications/Tarvel.desktop", "[Desktop Entry]\nExec=from-home\n");
  EXPECT_EQ(findApplication(ids, "Tarvel")->arguments[0], "from-home");
  scratch.write("home/applications/Tarvel.desktop", "[Desktop Entry]\nExec=from-home\nHidden=true\n");
  EXPECT_EQ(findApplication(ids, "Tarvel")->arguments[0], "from-sys1");

  EXPECT_EQ(platform::desktop::applicationFolders(),
            (std::vector<std::string>{(scratch.path() / "home/applications").string(),
                                      (scratch.path() / "sys1/applications").string(),
                                      (scratch.path() / "sys2/applications").string()}));
}

TEST(TrayOptions, Arguments) {
  for (const auto& c : testing_support::readCases("tray/launch.txt", "options")) {
    tray::TrayOptions o = tray::parseTrayOptions(testing_support::split(c[0]));
    EXPECT_EQ(o.listingsFolder, c[1] == "-" ? std::nullopt : std::optional(c[1])) << c.line;
    EXPECT_EQ(o.verbose, c[2] == "yes") << c.line;
    EXPECT_EQ(o.error, testing_support::orNone(c[3])) << c.line;
  }
}
