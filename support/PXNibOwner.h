// Base of objects that own a window described by a Qt Designer file
// ("<name>.ui" in the bundle's resources): loads it and keeps its
// top-level widgets alive as long as the owner lives.
#pragma once

#include <QObject>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

class PXNibOwner : public QObject {
  Q_OBJECT

 public:
  ~PXNibOwner() override;

  const std::vector<std::unique_ptr<QWidget>>& topLevelObjects() const { return topLevelObjects_; }
  // Drops the loaded widgets. (Qt forms hold no object controller whose
  // content would need clearing first.)
  void releaseTopLevelObjects();
  // The class name: the file a plain init loads.
  virtual std::string nibFilename() const;
  // Called once the file is loaded, before the initialiser returns.
  virtual void awakeFromNib() {}

 protected:
  PXNibOwner() = default;
  // Load nibFilename() (or `nibName`) with this object as owner. False,
  // after logging, when the file is missing or unreadable.
  bool init();
  bool initWithNibName(const std::string& nibName);
  bool initWithNibName(const std::string& nibName, QObject* owner);

  // A loaded widget by object name (a top-level one or a child), or null.
  template <class T>
  T* outlet(const char* name) const {
    for (const auto& w : topLevelObjects_) {
      if (w->objectName() == QLatin1String(name)) return qobject_cast<T*>(w.get());
      if (T* child = w->findChild<T*>(QLatin1String(name))) return child;
    }
    return nullptr;
  }

 private:
  std::vector<std::unique_ptr<QWidget>> topLevelObjects_;
};
