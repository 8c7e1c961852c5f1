#include "logintest.h"

#include "loginform.h"
#include "loginsession.h"
#include "standinrecords.h"
#include "ulogin.h"

namespace {

const char* const tables = R"({
  "users": [{"user_tel": "13800000000", "password": "demo123", "user_id": 1001, "token": "tok-abc123"}],
  "devices": [],
  "configs": {}
})";

const char* const addressVariables[] = {"KORVANE_MAIN_REQUEST_ADDRESS", "KORVANE_STANDBY_REQUEST_ADDRESS",
                                        "KORVANE_MAIN_SAVED_ADDRESS", "KORVANE_STANDBY_SAVED_ADDRESS"};

}  // namespace

void LoginTest::SetUp() {
  standin.data().loadJson(tables);
  standin.start();
  const QByteArray addresses[] = {QByteArray::fromStdString(standin.address()), standbyRequestAddress,
                                  mainSavedAddress, standbySavedAddress};
  for (int i = 0; i < 4; ++i) qputenv(addressVariables[i], addresses[i]);
  g_session = LoginSession();
  g_loginForm = LoginForm();
  g_mainWindow = nullptr;
  ULogin::setMainWindowFactory(nullptr);
}

void LoginTest::TearDown() {
  for (const char* variable : addressVariables) qunsetenv(variable);
}

int LoginTest::requestsTo(const std::string& requestLine) { return requestCount(standin, requestLine); }
