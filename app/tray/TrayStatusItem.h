// The tray monitor's status item on a Linux desktop: a QSystemTrayIcon
// whose QMenu mirrors the controller's menu model after every change and
// hands chosen items back as MenuActions. Panels that speak
// StatusNotifierItem read the same QMenu through dbusmenu.
#pragma once

#include <QtGui/QIcon>
#include <QtWidgets/QMenu>
#include <QtWidgets/QSystemTrayIcon>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "monitor/MonitorServices.h"
#include "platform/Services.h"

namespace tray {

// Image resources of the bundle by name: "Tarvel Green" is
// Resources/"Tarvel Green.png".
class ResourceImages {
 public:
  // `log` (may be null) hears once per name that cannot be loaded.
  ResourceImages(std::string resourcesPath, platform::Log* log);
  std::string pathFor(const std::string& name) const;
  // The image at size by size, with the full-size picture as a second
  // representation for panels that draw larger; null when missing.
  QIcon icon(const std::string& name, int size);

 private:
  std::string resources_;
  platform::Log* log_;
  std::map<std::pair<std::string, int>, QIcon> cache_;
  std::set<std::string> missing_;
};

// The text a menu item shows. "&" stays a literal ampersand instead of
// marking a mnemonic; the indentation level becomes that many leading em
// spaces, as QMenu and dbusmenu have no indentation of their own.
QString menuItemLabel(const std::string& title, int indentationLevel);

using ActionHandler = std::function<void(monitor::MenuAction)>;

// Replaces every item of `target` with the items of `model`, its submenus
// held (and the old ones freed) in `submenus`: `notice` lines first, disabled, then titles,
// separators, enabled states as the model's menu decides them, submenus,
// images, key equivalents as Ctrl shortcuts. Choosing an item with an
// action calls `perform` from the event loop afterwards, never from inside
// the click, so the menu may be rebuilt by what the action does; while an
// alert is open, only after it has closed (see runWhenNoAlert).
void mirrorMenu(const monitor::Menu& model, const std::vector<std::string>& notice, QMenu& target,
                std::vector<std::unique_ptr<QMenu>>& submenus, ResourceImages& images, const ActionHandler& perform);

class MenuIconStyle;

class TrayStatusItem : public monitor::StatusItemView {
 public:
  TrayStatusItem(ResourceImages& images, ActionHandler perform);
  ~TrayStatusItem() override;

  void setImage(const std::string& resourceName, int size) override;
  void setMenu(const monitor::Menu& menu) override;
  void menuDidChange() override;
  void setToolTip(const std::string& text) override;
  // Panels draw their own pressed state; nothing to do.
  void setHighlightMode(bool) override {}

  // Lines shown above the controller's menu from the next mirroring on,
  // such as why no drive could be read; empty for none.
  void setNotice(std::vector<std::string> lines);
  // Mirrors the menu now (it is complete whenever the controller is idle).
  void refresh();

  QSystemTrayIcon& trayIcon() { return tray_; }
  QMenu& menu() { return *menu_; }

 private:
  ResourceImages& images_;
  ActionHandler perform_;
  const monitor::Menu* model_ = nullptr;
  std::vector<std::string> notice_;
  // Draws the menu's images at the model's size; declared before the
  // menu, which uses it.
  std::unique_ptr<MenuIconStyle> style_;
  std::unique_ptr<QMenu> menu_;
  std::vector<std::unique_ptr<QMenu>> submenus_;
  QSystemTrayIcon tray_;
};

}  // namespace tray
