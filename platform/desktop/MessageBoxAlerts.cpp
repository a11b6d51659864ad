#include "platform/desktop/MessageBoxAlerts.h"

#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>

namespace platform::desktop {

void MessageBoxAlerts::showCritical(const std::string& message, const std::string& informative,
                                    const std::string& button) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Tarvel"), QString::fromStdString(message));
  box.setInformativeText(QString::fromStdString(informative));
  box.setDefaultButton(box.addButton(QString::fromStdString(button), QMessageBox::AcceptRole));
  box.exec();
}

}  // namespace platform::desktop
