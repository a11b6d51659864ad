// The status menu as plain data: the controller builds it, a desktop
// adapter mirrors it into a real menu and sends chosen actions back.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace monitor {

// What choosing an item asks the controller to do.
enum class MenuAction { None, ScanForDrives, UpdateDrives, LaunchTarvel, Quit };

// An image resource of the bundle ("Tarvel Green", ...) shown at size by size points.
struct MenuImage {
  std::string resourceName;
  int size = 0;
  bool operator==(const MenuImage&) const = default;
};

class Menu;

class MenuItem {
 public:
  MenuItem(std::string title, MenuAction action, std::string keyEquivalent);
  static MenuItem separatorItem();

  MenuItem(const MenuItem& other);
  MenuItem& operator=(const MenuItem& other);
  MenuItem(MenuItem&&) noexcept = default;
  MenuItem& operator=(MenuItem&&) noexcept = default;
  ~MenuItem();

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  MenuAction action() const { return action_; }
  const std::string& keyEquivalent() const { return keyEquivalent_; }
  bool isSeparatorItem() const { return separator_; }

  // The item's own flag; whether the menu honours it is Menu::isItemEnabled.
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool on) { enabled_ = on; }
  int indentationLevel() const { return indentationLevel_; }
  void setIndentationLevel(int level) { indentationLevel_ = level; }
  const std::optional<MenuImage>& image() const { return image_; }
  void setImage(const std::string& resourceName, int size) { image_ = MenuImage{resourceName, size}; }

  bool hasSubmenu() const { return submenu_ != nullptr; }
  // The item's submenu; only valid when hasSubmenu().
  const Menu& submenu() const { return *submenu_; }
  Menu& submenu() { return *submenu_; }

 private:
  friend class Menu;
  std::string title_;
  MenuAction action_ = MenuAction::None;
  std::string keyEquivalent_;
  bool separator_ = false;
  bool enabled_ = true;
  int indentationLevel_ = 0;
  std::optional<MenuImage> image_;
  std::unique_ptr<Menu> submenu_;
};

class Menu {
 public:
  explicit Menu(std::string title = "") : title_(std::move(title)) {}

  const std::string& title() const { return title_; }
  int numberOfItems() const { return static_cast<int>(items_.size()); }

  // Indexes out of range throw std::out_of_range, as a menu raises there.
  MenuItem& itemAtIndex(int index);
  const MenuItem& itemAtIndex(int index) const;
  void removeItemAtIndex(int index);
  void removeAllItems();
  MenuItem& addItem(MenuItem item);
  MenuItem& addItemWithTitle(const std::string& title, MenuAction action, const std::string& keyEquivalent);
  // index may equal numberOfItems() (append).
  MenuItem& insertItemWithTitle(const std::string& title, MenuAction action, const std::string& keyEquivalent,
                                int index);
  void setSubmenu(Menu submenu, MenuItem& item);

  // With automatic enabling on (the default), an item without an action or
  // submenu shows disabled whatever its flag; with it off, the flag decides.
  void setAutoenablesItems(bool on) { autoenablesItems_ = on; }
  bool autoenablesItems() const { return autoenablesItems_; }
  bool isItemEnabled(int index) const;

 private:
  std::string title_;
  bool autoenablesItems_ = true;
  std::vector<MenuItem> items_;
};

}  // namespace monitor
