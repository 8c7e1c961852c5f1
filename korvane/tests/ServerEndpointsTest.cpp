#include <gtest/gtest.h>

#include "serverendpoints.h"

TEST(ServerEndpointsTest, EachAddressComesFromItsOwnVariableOrTheBuiltInValue) {
  const struct {
    const char* variable;
    QString (*address)();
  } endpoints[] = {
      {"KORVANE_MAIN_REQUEST_ADDRESS", &ServerEndpoints::mainRequestAddress},
      {"KORVANE_STANDBY_REQUEST_ADDRESS", &ServerEndpoints::standbyRequestAddress},
      {"KORVANE_MAIN_SAVED_ADDRESS", &ServerEndpoints::mainSavedAddress},
      {"KORVANE_STANDBY_SAVED_ADDRESS", &ServerEndpoints::standbySavedAddress},
  };
  int port = 50001;
  for (const auto& e : endpoints) qputenv(e.variable, "127.0.0.1:" + QByteArray::number(port++));
  port = 50001;
  for (const auto& e : endpoints) EXPECT_EQ(e.address(), "127.0.0.1:" + QString::number(port++)) << e.variable;

  for (const auto& e : endpoints) {
    qputenv(e.variable, "");
    const QString builtIn = e.address();
    EXPECT_TRUE(builtIn.contains(':')) << e.variable << " gives " << builtIn.toStdString();
    qunsetenv(e.variable);
    EXPECT_EQ(e.address(), builtIn) << e.variable;
  }
}
