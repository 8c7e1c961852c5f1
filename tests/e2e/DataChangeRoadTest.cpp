// The whole road of a value: the platform stand-in pushes it on the WebSocket
// read channel, the program's objects carry it into the toolkit's tag, the
// client's worker thread scans the group and the in-process OPC client's
// IOPCDataCallback sink receives it.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BridgeRoad.h"
#include "support/waituntil.h"
#include "platform/IConnectionPointContainer.h"
#include "platform/opcda.h"
#include "platform/opcguid.h"
#include "support/OpcTestGroup.h"
#include "support/TestDataCallback.h"

namespace {

constexpr OPCHANDLE kTempHandle = 7;
constexpr OPCHANDLE kLevelHandle = 8;

// The program after a login with both channels open, and an OPC client
// subscribed to two of A1's variables through a group with a 10 % deadband.
class DataChangeRoadTest : public BridgeRoad {
protected:
  void SetUp() override {
    BridgeRoad::SetUp();
    // The fixture's server rate is an hour; the client's worker scans every 20 ms here.
    ASSERT_TRUE(ResetVarnServerRate(20));
    ASSERT_EQ(client->Connect(), S_OK);
    OpcTestGroup::Options options;
    options.percentDeadband = &deadband;
    options.clientHandle = 3;
    group = std::make_unique<OpcTestGroup>(client->OpcServer(), "Road", options);
    ASSERT_EQ(group->AddItems({{"A1.Analog.Temp", "", kTempHandle}, {"A1.Analog.Level", "", kLevelHandle}}).hr, S_OK);
    point = group->AdviseDataCallback(&sink);
    ASSERT_NE(point, nullptr);
    // New items are sent once with the values they were added with.
    ASSERT_TRUE(waitUntil([&] { return sink.DeliveredItems() == 2; }));
    sink.Take();
  }

  void TearDown() override {
    if (point != nullptr) point->Release();
    if (group != nullptr) client->OpcServer()->RemoveGroup(group->ServerHandle(), TRUE);
    group.reset();
    BridgeRoad::TearDown();
  }

  // The items the sink received through OnDataChange so far, in order.
  std::vector<TestDataCallback::Item> delivered() const {
    std::vector<TestDataCallback::Item> items;
    for (const TestDataCallback::Call& call : sink.Calls())
      if (call.kind == TestDataCallback::Call::kDataChange) items.insert(items.end(), call.items.begin(), call.items.end());
    return items;
  }

  // The item with that client handle and value, when OnDataChange delivered it.
  std::optional<TestDataCallback::Item> deliveredValue(OPCHANDLE clientHandle, const std::string& value) const {
    for (const TestDataCallback::Item& item : delivered())
      if (item.clientHandle == clientHandle && item.value == value) return item;
    return std::nullopt;
  }

  static float goodTemp() {
    const TagState state = tagState(handleOf("A1.Analog.Temp"));
    return state.found && state.quality == OPC_QUALITY_GOOD ? state.value.fltVal : -1.0f;
  }

  FLOAT deadband = 10.0f;
  TestDataCallback sink;
  std::unique_ptr<OpcTestGroup> group;
  IConnectionPoint* point = nullptr;
};

}  // namespace

TEST_F(DataChangeRoadTest, APushedValueReachesOnDataChangeAndOneInsideTheDeadbandDoesNot) {
  standin.data().values().set("A1", "1", "42.5");
  standin.data().values().set("A1", "2", "-12");
  standin.pushValues("A1");
  ASSERT_TRUE(waitUntil([&] { return deliveredValue(kTempHandle, "42.5") && deliveredValue(kLevelHandle, "-12"); }));
  const TestDataCallback::Item temp = *deliveredValue(kTempHandle, "42.5");
  EXPECT_EQ(temp.type, VT_R4);
  EXPECT_EQ(temp.quality, OPC_QUALITY_GOOD);
  EXPECT_EQ(temp.error, S_OK);
  VARIANT value;
  VariantInit(&value);
  WORD quality = 0;
  FILETIME stamp{};
  ASSERT_TRUE(ReadTagWithTimeStamp(handleOf("A1.Analog.Temp"), &value, &quality, &stamp));
  EXPECT_EQ(temp.timestamp.dwLowDateTime, stamp.dwLowDateTime);
  EXPECT_EQ(temp.timestamp.dwHighDateTime, stamp.dwHighDateTime);
  EXPECT_EQ(deliveredValue(kLevelHandle, "-12")->type, VT_I2);
  sink.Take();

  // 44 stays within 10 % of 42.5; the level's change, pushed with it, comes alone.
  standin.data().values().set("A1", "1", "44");
  standin.data().values().set("A1", "2", "-20");
  standin.pushValues("A1");
  ASSERT_TRUE(waitUntil([&] { return deliveredValue(kLevelHandle, "-20").has_value(); }));
  EXPECT_FALSE(deliveredValue(kTempHandle, "44"));
  EXPECT_EQ(goodTemp(), 44.0f);
}
