#include <gtest/gtest.h>

#include "monitor/MenuModel.h"

using namespace monitor;

namespace {

TEST(MenuModel, AutomaticEnablingDecidesWhetherTheFlagCounts) {
  struct Case {
    bool autoenables;
    MenuAction action;
    bool submenu;
    bool flag;
    bool enabled;
  };
  const Case cases[] = {
      {true, MenuAction::None, false, true, false},   {true, MenuAction::Quit, false, true, true},
      {true, MenuAction::Quit, false, false, false},  {true, MenuAction::None, true, true, true},
      {false, MenuAction::None, false, true, true},   {false, MenuAction::None, false, false, false},
      {false, MenuAction::Quit, false, false, false},
  };
  for (const Case& c : cases) {
    Menu menu;
    menu.setAutoenablesItems(c.autoenables);
    MenuItem& item = menu.addItemWithTitle("t", c.action, "");
    item.setEnabled(c.flag);
    if (c.submenu) menu.setSubmenu(Menu("t"), item);
    menu.addItem(MenuItem::separatorItem());
    EXPECT_EQ(menu.isItemEnabled(0), c.enabled) << c.autoenables << " " << int(c.action) << c.submenu << c.flag;
    EXPECT_FALSE(menu.isItemEnabled(1));
  }
}

TEST(MenuModel, CopiesOwnTheirSubmenus) {
  Menu menu;
  MenuItem& item = menu.addItemWithTitle("disk2", MenuAction::None, "");
  Menu sub("disk2");
  sub.addItemWithTitle("A", MenuAction::None, "");
  menu.setSubmenu(std::move(sub), item);

  Menu copy = menu;
  copy.itemAtIndex(0).submenu().addItemWithTitle("B", MenuAction::None, "");
  EXPECT_EQ(menu.itemAtIndex(0).submenu().numberOfItems(), 1);
  EXPECT_EQ(copy.itemAtIndex(0).submenu().numberOfItems(), 2);
  EXPECT_EQ(copy.itemAtIndex(0).submenu().title(), "disk2");
}

}  // namespace
