#include "bridgetest.h"

#include <algorithm>

#include "configfile.h"
#include "loginform.h"
#include "loginsession.h"
#include "platform/registrystore.h"
#include "platformurls.h"
#include "standinrecords.h"

namespace {

const char* const tables = R"({
  "users": [{"user_tel": "13800000000", "password": "demo123", "user_id": 1001, "token": "tok-abc123"}],
  "devices": [{"sn_code": "B2", "dev_state": 0}, {"sn_code": "A1", "dev_state": 1}],
  "configs": {
    "A1": [
      {"type_name": "Analog", "data": [
        {"sn_code": "A1", "data_name": "Temp", "data_type": 10, "data_writeable": 1, "data_code": 1, "dev_version": 0},
        {"sn_code": "A1", "data_name": "Level", "data_type": 2, "data_writeable": 2, "data_code": 2, "dev_version": 1},
        {"sn_code": "A1", "data_name": "Flow", "data_type": 5, "data_writeable": 2, "data_code": 3, "dev_version": 0}]},
      {"type_name": "Switch", "data": [
        {"sn_code": "A1", "data_name": "Pump", "data_type": -1, "data_writeable": 2, "data_code": 10, "dev_version": 0}]}],
    "B2": [
      {"type_name": "Counter", "data": [
        {"sn_code": "B2", "data_name": "Starts", "data_type": 0, "data_writeable": 1, "data_code": 1, "dev_version": 0},
        {"sn_code": "B2", "data_name": "Serial", "data_type": 7, "data_writeable": 0, "data_code": 2, "dev_version": 0}]}]
  },
  "values": {"A1": {"1": "23.5", "2": "-7", "3": "120", "10": "1"}, "B2": {"1": "12"}}
})";

}  // namespace

void useLoggedInProgram(const std::string& address, const QTemporaryDir& registry) {
  g_serverAddress = QString::fromStdString(address);
  buildPlatformUrls();
  g_session = {"13800000000", "true", "login ok", 1001, "tok-abc123"};
  g_loginForm = {"13800000000", "demo123", "", "0123456789abcdefghij"};
  // Long enough that no refresh comes unasked during a test.
  g_intervalTime = QStringLiteral("3600000");
  qputenv("ZELVO_REGISTRY_DIR", registry.path().toLocal8Bit());
  RegistryStore::Instance().Reset();
}

void endLoggedInProgram() {
  RegistryStore::Instance().Reset();
  g_session = LoginSession();
  g_loginForm = LoginForm();
}

void BridgeTest::SetUp() {
  standin.data().loadJson(tables);
  standin.start();
  useLoggedInProgram(standin.address(), registry_);
}

void BridgeTest::TearDown() { endLoggedInProgram(); }

int BridgeTest::logCount(const QString& text) const {
  const QStringList lines = log.lines();
  return static_cast<int>(
      std::count_if(lines.begin(), lines.end(), [&](const QString& line) { return line.contains(text); }));
}

int BridgeTest::requestsTo(const std::string& requestLine) { return requestCount(standin, requestLine); }

std::vector<std::string> BridgeTest::frames(WebSocketChannel channel) { return frameTexts(standin, channel); }

BridgeTest::TagState BridgeTest::tagState(DWORD handle) {
  TagState state{FALSE, {}, 0};
  VariantInit(&state.value);
  FILETIME timestamp{};
  state.found = ReadTagWithTimeStamp(handle, &state.value, &state.quality, &timestamp);
  return state;
}
