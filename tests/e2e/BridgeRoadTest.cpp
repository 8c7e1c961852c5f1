#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BridgeRoad.h"
#include "app/CVorlixApp.h"
#include "korvane.h"
#include "platform/opcda.h"
#include "support/HostCalls.h"
#include "support/variants.h"
#include "support/waituntil.h"
#include "uwebsocket.h"

using ::testing::ElementsAre;

namespace {

class BridgeRoadTest : public BridgeRoad {
protected:
  // A client's write of the item named `name`, as the toolkit's group write hands it on.
  static HRESULT clientWrite(const char* name, VARIANT value) {
    return VorlixApp().ClientWrite("Unknown", name, &value);
  }
};

}  // namespace

TEST_F(BridgeRoadTest, AConnectedClientFindsEveryVariableAsAnItemOfItsTypeAndRights) {
  ASSERT_EQ(client->Connect(), S_OK);
  window->on_activatedSysTrayIcon(QSystemTrayIcon::Trigger);
  ASSERT_EQ(window->balloons.size(), 1u);
  EXPECT_EQ(window->balloons[0].text, "connected clients:1");

  const struct {
    const char* item;
    VARTYPE type;
    DWORD rights;
  } cases[] = {
      {"A1.Analog.Temp", VT_R4, OPC_READABLE | OPC_WRITEABLE},
      {"A1.Analog.Level", VT_I2, OPC_READABLE | OPC_WRITEABLE},
      {"A1.Switch.Pump", VT_BOOL, OPC_READABLE | OPC_WRITEABLE},
      {"B2.Counter.Starts", VT_UI2, OPC_READABLE | OPC_WRITEABLE},
      {"B2.Counter.Serial", VT_I4, OPC_READABLE},
  };
  for (const auto& c : cases) {
    OPCITEMRESULT result{};
    DWORD rights = 0;
    EXPECT_EQ(Validate("", c.item, VT_EMPTY, &result, &rights), S_OK) << c.item;
    EXPECT_EQ(result.vtCanonicalDataType, c.type) << c.item;
    EXPECT_EQ(rights, c.rights) << c.item;
  }

  client->ReleaseAll();
  EXPECT_TRUE(waitUntil([&] { return logCount("DisconnectProc=====") == 1; }));
}

TEST_F(BridgeRoadTest, AValueThePlatformPushesReachesTheTag) {
  ASSERT_EQ(client->Connect(), S_OK);
  standin.data().values().set("A1", "1", "42.5");
  standin.data().values().set("A1", "2", "-12");
  standin.pushValues("A1");
  ASSERT_TRUE(waitUntil([&] { return goodValue("A1.Analog.Temp").fltVal == 42.5f; }));
  EXPECT_EQ(goodValue("A1.Analog.Level").vt, VT_I2);
  EXPECT_EQ(goodValue("A1.Analog.Level").iVal, -12);
}

TEST_F(BridgeRoadTest, ClientWritesReachThePlatformsWriteChannelAsOneBatch) {
  ASSERT_EQ(client->Connect(), S_OK);
  ASSERT_EQ(clientWrite("A1.Analog.Temp", variantOf(VT_R4, 1.5)), S_OK);
  ASSERT_EQ(clientWrite("A1.Switch.Pump", variantOf(VT_BOOL, 0)), S_OK);

  ASSERT_TRUE(waitUntil([&] { return !frames(WebSocketChannel::Write).empty(); }));
  EXPECT_THAT(frames(WebSocketChannel::Write), ElementsAre(tempAndPumpWriteBatch));
  // The platform takes the values and echoes them; the tags keep them.
  ASSERT_TRUE(waitUntil([&] { return standin.data().values().device("A1")["1"] == "1.5"; }));
  EXPECT_EQ(standin.data().values().device("A1")["10"], "0");
  EXPECT_EQ(goodValue("A1.Analog.Temp").fltVal, 1.5f);
  EXPECT_EQ(goodValue("A1.Switch.Pump").boolVal, VARIANT_FALSE);
  EXPECT_EQ(clientWrite("B2.Counter.Serial", variantOf(VT_I4, 1)), OPC_E_BADRIGHTS);
}
