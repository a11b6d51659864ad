// Runs the Qt tests inside one QApplication on the offscreen platform, so
// windows are created without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QNetworkProxy>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The local test server must be reached directly whatever the machine's
  // proxy settings.
  QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
