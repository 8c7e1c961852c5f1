// The program's tests need a Qt application object (event loops, the network
// access manager, image decoding) and libcurl's global state, as main() sets
// them up in the program. Listing the tests needs neither, and runs where no
// Qt platform is configured.
#include <QApplication>

#include <gtest/gtest.h>

#include "curlglobal.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  QApplication application(argc, argv);
  CurlGlobal curl;
  return RUN_ALL_TESTS();
}
