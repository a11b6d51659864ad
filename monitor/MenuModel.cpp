#include "monitor/MenuModel.h"

#include <stdexcept>

namespace monitor {

MenuItem::MenuItem(std::string title, MenuAction action, std::string keyEquivalent)
    : title_(std::move(title)), action_(action), keyEquivalent_(std::move(keyEquivalent)) {}

MenuItem MenuItem::separatorItem() {
  MenuItem item("", MenuAction::None, "");
  item.separator_ = true;
  item.enabled_ = false;
  return item;
}

MenuItem::MenuItem(const MenuItem& other)
    : title_(other.title_),
      action_(other.action_),
      keyEquivalent_(other.keyEquivalent_),
      separator_(other.separator_),
      enabled_(other.enabled_),
      indentationLevel_(other.indentationLevel_),
      image_(other.image_),
      submenu_(other.submenu_ ? std::make_unique<Menu>(*other.submenu_) : nullptr) {}

MenuItem& MenuItem::operator=(const MenuItem& other) {
  if (this != &other) *this = MenuItem(other);
  return *this;
}

MenuItem::~MenuItem() = default;

namespace {
void checkIndex(int index, int limit) {
  if (index < 0 || index >= limit) throw std::out_of_range("menu index " + std::to_string(index) + " out of range");
}
}  // namespace

MenuItem& Menu::itemAtIndex(int index) {
  checkIndex(index, numberOfItems());
  return items_[index];
}

const MenuItem& Menu::itemAtIndex(int index) const {
  checkIndex(index, numberOfItems());
  return items_[index];
}

void Menu::removeItemAtIndex(int index) {
  checkIndex(index, numberOfItems());
  items_.erase(items_.begin() + index);
}

void Menu::removeAllItems() { items_.clear(); }

MenuItem& Menu::addItem(MenuItem item) {
  items_.push_back(std::move(item));
  return items_.back();
}

MenuItem& Menu::addItemWithTitle(const std::string& title, MenuAction action, const std::string& keyEquivalent) {
  return addItem(MenuItem(title, action, keyEquivalent));
}

MenuItem& Menu::insertItemWithTitle(const std::string& title, MenuAction action, const std::string& keyEquivalent,
                                    int index) {
  checkIndex(index, numberOfItems() + 1);
  return *items_.insert(items_.begin() + index, MenuItem(title, action, keyEquivalent));
}

void Menu::setSubmenu(Menu submenu, MenuItem& item) { item.submenu_ = std::make_unique<Menu>(std::move(submenu)); }

bool Menu::isItemEnabled(int index) const {
  const MenuItem& item = itemAtIndex(index);
  if (item.isSeparatorItem()) return false;
  if (!autoenablesItems_) return item.isEnabled();
  return item.isEnabled() && (item.action() != MenuAction::None || item.hasSubmenu());
}

}  // namespace monitor
