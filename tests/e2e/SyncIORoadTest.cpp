// A client's synchronous reads and writes along the whole road: through the
// toolkit's group, the bridge's callbacks and the WebSocket client to the
// platform stand-in's write channel.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BridgeRoad.h"
#include "platform/IOPCSyncIO.h"
#include "platform/opcguid.h"
#include "support/OpcTestGroup.h"
#include "support/SyncIOCalls.h"
#include "support/variants.h"
#include "support/waituntil.h"

using ::testing::ElementsAre;

namespace {

class SyncIORoadTest : public BridgeRoad {
protected:
  void SetUp() override {
    BridgeRoad::SetUp();
    ASSERT_EQ(client->Connect(), S_OK);
    group = std::make_unique<OpcTestGroup>(client->OpcServer(), "Road");
    ASSERT_TRUE(SUCCEEDED(group->Added()));
    ASSERT_EQ(group->Unknown()->QueryInterface(IID_IOPCSyncIO, reinterpret_cast<void**>(&io)), S_OK);
    const ItemCall added =
        group->AddItems({{"A1.Analog.Temp", "", 1}, {"A1.Switch.Pump", "", 2}, {"B2.Counter.Serial", "", 3}});
    ASSERT_EQ(added.hr, S_OK);
    for (const OPCITEMRESULT& result : added.results) items.push_back(result.hServer);
  }

  void TearDown() override {
    if (io != nullptr) io->Release();
    group.reset();
    BridgeRoad::TearDown();
  }

  std::unique_ptr<OpcTestGroup> group;
  IOPCSyncIO* io = nullptr;
  std::vector<OPCHANDLE> items;
};

}  // namespace

TEST_F(SyncIORoadTest, AWriteReachesThePlatformInOneBatchAndReadsBackFromCacheAndDevice) {
  const SyncWrite write =
      WriteItems(io, {items[0], items[1], items[2]}, {variantOf(VT_R4, 1.5), variantOf(VT_BOOL, 0), variantOf(VT_I4, 1)});
  EXPECT_EQ(write.hr, S_FALSE);
  // The read-only variable is refused by its item and never leaves the toolkit.
  EXPECT_EQ(write.errors, (std::vector<HRESULT>{S_OK, S_OK, OPC_E_BADRIGHTS}));

  ASSERT_TRUE(waitUntil([&] { return !frames(WebSocketChannel::Write).empty(); }));
  EXPECT_THAT(frames(WebSocketChannel::Write), ElementsAre(tempAndPumpWriteBatch));
  EXPECT_EQ(goodValue("A1.Analog.Temp").fltVal, 1.5f);
  EXPECT_EQ(goodValue("A1.Switch.Pump").boolVal, VARIANT_FALSE);

  SyncRead cached = ReadItems(io, OPC_DS_CACHE, {items[0]});
  ASSERT_EQ(cached.hr, S_OK);
  EXPECT_EQ(cached.states[0].hClient, 1u);
  EXPECT_EQ(cached.states[0].vDataValue.vt, VT_R4);
  EXPECT_EQ(cached.states[0].vDataValue.fltVal, 1.5f);

  ASSERT_EQ(logCount("DeviceReadProc====="), 0);
  SyncRead device = ReadItems(io, OPC_DS_DEVICE, {items[0], items[1]});
  ASSERT_EQ(device.hr, S_OK);
  EXPECT_EQ(logCount("DeviceReadProc====="), 2);
  EXPECT_EQ(device.states[0].vDataValue.vt, VT_R4);
  EXPECT_EQ(device.states[0].vDataValue.fltVal, 1.5f);
  EXPECT_EQ(device.states[0].wQuality, OPC_QUALITY_GOOD);
  EXPECT_NE(device.states[0].ftTimeStamp.dwHighDateTime, 0u);
  EXPECT_EQ(device.states[1].vDataValue.vt, VT_BOOL);
  EXPECT_EQ(device.states[1].vDataValue.boolVal, VARIANT_FALSE);
}
