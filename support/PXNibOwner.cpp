#include "support/PXNibOwner.h"

#include <QFile>
#include <QUiLoader>

#include "platform/Format.h"
#include "platform/Platform.h"

PXNibOwner::~PXNibOwner() = default;

void PXNibOwner::releaseTopLevelObjects() { topLevelObjects_.clear(); }

std::string PXNibOwner::nibFilename() const { return metaObject()->className(); }

bool PXNibOwner::init() { return initWithNibName(nibFilename(), this); }

bool PXNibOwner::initWithNibName(const std::string& nibName) { return initWithNibName(nibName, this); }

bool PXNibOwner::initWithNibName(const std::string& nibName, QObject* owner) {
  const bool load = !nibName.empty();
  if (load) {
    // The classes and the program share one bundle here, so its resources
    // are the only place to look.
    QFile file(QString::fromStdString(platform::bundle().resourcesPath + "/" + nibName + ".ui"));
    if (file.open(QIODevice::ReadOnly)) {
      QUiLoader loader;
      if (QWidget* top = loader.load(&file)) topLevelObjects_.emplace_back(top);
    }
    if (topLevelObjects_.empty()) {
      platform::log(platform::format("%@: Couldn't find NIB file \"%@.nib\".", metaObject()->className(), nibName));
      return false;
    }
  }
  // Loading a file wakes its owner; an object that is not the owner is
  // woken here.
  auto* nibOwner = qobject_cast<PXNibOwner*>(owner);
  if (load && nibOwner) nibOwner->awakeFromNib();
  if (nibOwner != this) awakeFromNib();
  return true;
}
