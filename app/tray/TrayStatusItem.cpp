#include "app/tray/TrayStatusItem.h"

#include <QtCore/QCoreApplication>
#include <QtGui/QCursor>
#include <QtGui/QPixmap>
#include <QtWidgets/QProxyStyle>

#include <filesystem>

#include "platform/desktop/MessageBoxAlerts.h"

namespace tray {

// QMenu draws every image at the style's small-icon size (16 pixels); the
// drive rows want theirs larger.
class MenuIconStyle : public QProxyStyle {
 public:
  int iconSize = 0;
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_SmallIconSize && iconSize > 0) return iconSize;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

ResourceImages::ResourceImages(std::string resourcesPath, platform::Log* log) : resources_(std::move(resourcesPath)), log_(log) {}

std::string ResourceImages::pathFor(const std::string& name) const {
  return (std::filesystem::path(resources_) / (name + ".png")).string();
}

QIcon ResourceImages::icon(const std::string& name, int size) {
  const auto key = std::make_pair(name, size);
  if (auto it = cache_.find(key); it != cache_.end()) return it->second;
  QPixmap picture(QString::fromStdString(pathFor(name)));
  if (picture.isNull()) {
    if (log_ && missing_.insert(name).second) log_->write("Could not load the image " + pathFor(name));
    return QIcon();
  }
  QIcon icon;
  icon.addPixmap(picture.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  if (picture.width() > size) icon.addPixmap(picture);
  cache_[key] = icon;
  return icon;
}

QString menuItemLabel(const std::string& title, int indentationLevel) {
  QString label(std::max(indentationLevel, 0), QChar(0x2003));  // em space
  label += QString::fromStdString(title).replace(QLatin1Char('&'), QLatin1String("&&"));
  return label;
}

namespace {

// Items of one menu; `notice` only at the top level.
void addItems(const monitor::Menu& model, QMenu& target, std::vector<std::unique_ptr<QMenu>>& submenus, ResourceImages& images,
              const ActionHandler& perform) {
  for (int i = 0; i < model.numberOfItems(); ++i) {
    const monitor::MenuItem& item = model.itemAtIndex(i);
    if (item.isSeparatorItem()) {
      target.addSeparator();
      continue;
    }
    QAction* action = nullptr;
    if (item.hasSubmenu()) {
      auto& sub = submenus.emplace_back(std::make_unique<QMenu>(menuItemLabel(item.title(), item.indentationLevel())));
      addItems(item.submenu(), *sub, submenus, images, perform);
      target.addMenu(sub.get());
      action = sub->menuAction();
    } else {
      action = target.addAction(menuItemLabel(item.title(), item.indentationLevel()));
    }
    action->setEnabled(model.isItemEnabled(i));
    if (item.image()) action->setIcon(images.icon(item.image()->resourceName, item.image()->size));
    if (item.keyEquivalent().size() == 1)
      action->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + QString::fromStdString(item.keyEquivalent()).toUpper()));
    if (item.action() != monitor::MenuAction::None && perform) {
      const monitor::MenuAction chosen = item.action();
      // Queued: the action may rebuild this very menu, which must not
      // happen while the menu is still delivering the click.
      QObject::connect(action, &QAction::triggered, action, [perform, chosen] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [perform, chosen] {
              platform::desktop::runWhenNoAlert("menu " + std::to_string(static_cast<int>(chosen)), [perform, chosen] { perform(chosen); });
            },
            Qt::QueuedConnection);
      });
    }
  }
}

}  // namespace

void mirrorMenu(const monitor::Menu& model, const std::vector<std::string>& notice, QMenu& target,
                std::vector<std::unique_ptr<QMenu>>& submenus, ResourceImages& images, const ActionHandler& perform) {
  target.clear();
  submenus.clear();
  for (const std::string& line : notice) target.addAction(menuItemLabel(line, 0))->setEnabled(false);
  addItems(model, target, submenus, images, perform);
}

TrayStatusItem::TrayStatusItem(ResourceImages& images, ActionHandler perform)
    : images_(images),
      perform_(std::move(perform)),
      style_(std::make_unique<MenuIconStyle>()),
      menu_(std::make_unique<QMenu>()) {
  menu_->setStyle(style_.get());
  tray_.setContextMenu(menu_.get());
  // A click on the icon opens the menu, as the context click does.
  QObject::connect(&tray_, &QSystemTrayIcon::activated, menu_.get(), [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::Trigger) menu_->popup(QCursor::pos());
  });
}

TrayStatusItem::~TrayStatusItem() = default;

void TrayStatusItem::setImage(const std::string& resourceName, int size) {
  tray_.setIcon(images_.icon(resourceName, size));
  if (!tray_.isVisible() && !tray_.icon().isNull()) tray_.show();
}

void TrayStatusItem::setMenu(const monitor::Menu& menu) {
  model_ = &menu;
  refresh();
}

void TrayStatusItem::menuDidChange() { refresh(); }

void TrayStatusItem::setToolTip(const std::string& text) { tray_.setToolTip(QString::fromStdString(text)); }

void TrayStatusItem::setNotice(std::vector<std::string> lines) { notice_ = std::move(lines); }

void TrayStatusItem::refresh() {
  if (!model_) return;
  int iconSize = 0;
  for (int i = 0; i < model_->numberOfItems(); ++i)
    if (const auto& image = model_->itemAtIndex(i).image()) iconSize = std::max(iconSize, image->size);
  style_->iconSize = iconSize;
  mirrorMenu(*model_, notice_, *menu_, submenus_, images_, perform_);
}

}  // namespace tray
