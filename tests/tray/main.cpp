// The tray tests run in one QApplication on the offscreen platform: the
// adapter's menus need widgets, while the tray program under test gets an
// X server of its own.
#include <gtest/gtest.h>

#include <cstdio>

#include <QtNetwork/QNetworkProxy>
#include <QtWidgets/QApplication>

int main(int argc, char** argv) {
  // A test ctest ends for taking too long still shows how far it got.
  setvbuf(stdout, nullptr, _IOLBF, 0);
  ::testing::InitGoogleTest(&argc, argv);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The local test servers are reached directly whatever the machine's proxy.
  QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
  return RUN_ALL_TESTS();
}
