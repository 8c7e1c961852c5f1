// The program's tests need a Qt application object (event loops, the network
// access manager, image decoding), the program's images and libcurl's global
// state, as main() sets them up in the program. Listing the tests needs neither, and runs where no
// Qt platform is configured.
#include <QApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include "curlglobal.h"

// Qt 5.15's offscreen platform never frees its screen. Keeping the screen's
// address for the whole process shows LeakSanitizer that it lives as long as
// the process, rather than being a leak of the code under test.
QScreen* g_offscreenScreen = nullptr;

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  Q_INIT_RESOURCE(korvane);
  QApplication application(argc, argv);
  g_offscreenScreen = QGuiApplication::primaryScreen();
  CurlGlobal curl;
  return RUN_ALL_TESTS();
}
