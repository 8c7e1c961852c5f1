#include "BridgeRoad.h"

#include "closeprogram.h"
#include "korvane.h"
#include "support/waituntil.h"

namespace {

// The class the program registers and starts its OPC server under.
const CLSID serverClass = {0x99B8F472, 0xC037, 0x11D2, {0x80, 0xB8, 0x00, 0x60, 0x97, 0x58, 0x58, 0xBE}};

}  // namespace

const char* const BridgeRoad::tempAndPumpWriteBatch = R"({"batch_flag":true,"data_list":[)"
                                                     R"({"data":"1.5","data_code":"1","sn_code":"A1"},)"
                                                     R"({"data":"0","data_code":"10","sn_code":"A1"}],)"
                                                     R"("req_type":1,"user_id":1001,"user_token":"tok-abc123"})"
                                                     "\n";

void BridgeRoad::SetUp() {
  client = std::make_unique<OpcTestClient>(serverClass);
  BridgeTest::SetUp();
  window->InitializeConfigData();
  ASSERT_NE(g_opcServer, nullptr);
  ASSERT_TRUE(waitUntil([&] { return logCount("read websocket connect successful") == 1; }));
  ASSERT_TRUE(waitUntil([&] { return logCount("write websocket connect successful") == 1; }));
}

void BridgeRoad::TearDown() {
  client.reset();
  closeProgram(window.data());
  BridgeTest::TearDown();
}

DWORD BridgeRoad::handleOf(const char* name) {
  for (const CTag* tag : g_opcServer->tags())
    if (tag->name == QLatin1String(name)) return tag->handle;
  return VORLIX_INVALID_TAG;
}

VARIANT BridgeRoad::goodValue(const char* name) {
  VARIANT value;
  VariantInit(&value);
  WORD quality = 0;
  FILETIME timestamp{};
  if (!ReadTagWithTimeStamp(handleOf(name), &value, &quality, &timestamp) || quality != OPC_QUALITY_GOOD)
    value.vt = VT_EMPTY;
  return value;
}
