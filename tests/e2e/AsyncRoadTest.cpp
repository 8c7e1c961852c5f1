// The whole road of asynchronous Data Access 2.0 calls: the in-process OPC
// client's IOPCAsyncIO2 queues them on a group, the toolkit hands a write to
// the program's objects at once (which send it on the platform stand-in's
// write channel), and the client's worker thread sends each completion to the
// client's IOPCDataCallback sink.
#include <memory>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BridgeRoad.h"
#include "platform/IConnectionPoint.h"
#include "platform/IConnectionPointContainer.h"
#include "platform/IOPCAsyncIO2.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "support/OpcTestGroup.h"
#include "support/TestDataCallback.h"
#include "support/variants.h"
#include "support/waituntil.h"
#include "uwebsocket.h"

using ::testing::ElementsAre;

namespace {

constexpr OPCHANDLE kGroupHandle = 5;
constexpr OPCHANDLE kTempHandle = 7;
constexpr OPCHANDLE kPumpHandle = 8;
constexpr OPCHANDLE kSerialHandle = 9;

using Call = TestDataCallback::Call;

// The program after a login with both channels open, and an OPC client with
// a group of three of the stand-in's variables (the last one read-only), its
// IOPCDataCallback sink connected. The group is inactive, so no subscription
// data comes between the completions.
class AsyncRoadTest : public BridgeRoad {
protected:
  void SetUp() override {
    BridgeRoad::SetUp();
    // The client's worker drains the queue on every pulse of the update timer.
    ASSERT_TRUE(ResetVarnServerRate(20));
    ASSERT_EQ(client->Connect(), S_OK);
    OpcTestGroup::Options options;
    options.active = FALSE;
    options.clientHandle = kGroupHandle;
    group = std::make_unique<OpcTestGroup>(client->OpcServer(), "Async", options);
    const ItemCall added = group->AddItems(
        {{"A1.Analog.Temp", "", kTempHandle}, {"A1.Switch.Pump", "", kPumpHandle}, {"B2.Counter.Serial", "", kSerialHandle}});
    ASSERT_EQ(added.hr, S_OK);
    for (const OPCITEMRESULT& result : added.results) handles.push_back(result.hServer);
    point = group->AdviseDataCallback(&sink);
    ASSERT_NE(point, nullptr);
    ASSERT_EQ(group->Unknown()->QueryInterface(IID_IOPCAsyncIO2, reinterpret_cast<void**>(&io)), S_OK);
  }

  void TearDown() override {
    if (io != nullptr) io->Release();
    if (point != nullptr) point->Release();
    if (group != nullptr) client->OpcServer()->RemoveGroup(group->ServerHandle(), TRUE);
    group.reset();
    BridgeRoad::TearDown();
  }

  // The sink's calls of one kind so far.
  std::vector<Call> callsOf(Call::Kind kind) const {
    std::vector<Call> found;
    for (const Call& call : sink.Calls())
      if (call.kind == kind) found.push_back(call);
    return found;
  }

  static std::vector<OPCHANDLE> clientHandles(const Call& call) {
    std::vector<OPCHANDLE> found;
    for (const TestDataCallback::Item& item : call.items) found.push_back(item.clientHandle);
    return found;
  }

  TestDataCallback sink;
  std::unique_ptr<OpcTestGroup> group;
  std::vector<OPCHANDLE> handles;
  IConnectionPoint* point = nullptr;
  IOPCAsyncIO2* io = nullptr;
};

}  // namespace

TEST_F(AsyncRoadTest, AnAsyncWriteReachesTheWriteChannelAndItsCompletionCarriesTheHostsResult) {
  std::vector<OPCHANDLE> written = {handles[0], handles[2]};
  VARIANT values[2] = {variantOf(VT_R4, 1.5), variantOf(VT_I4, 3)};
  DWORD cancelId = 0;
  HRESULT* errors = nullptr;
  ASSERT_EQ(io->Write(2, written.data(), values, 21, &cancelId, &errors), S_OK);
  EXPECT_NE(cancelId, 0u);
  ASSERT_NE(errors, nullptr);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], S_OK);
  CoTaskMemFree(errors);

  ASSERT_TRUE(waitUntil([&] { return callsOf(Call::kWriteComplete).size() == 1; }));
  const Call completion = callsOf(Call::kWriteComplete)[0];
  EXPECT_EQ(completion.transactionId, 21u);
  EXPECT_EQ(completion.group, kGroupHandle);
  EXPECT_EQ(completion.masterError, S_FALSE);
  EXPECT_FALSE(completion.underLock);
  ASSERT_EQ(completion.items.size(), 2u);
  // The host's word for the temperature; the read-only serial never reached it.
  EXPECT_EQ(completion.items[0].clientHandle, kTempHandle);
  EXPECT_EQ(completion.items[0].error, S_OK);
  EXPECT_EQ(completion.items[1].clientHandle, kSerialHandle);
  EXPECT_EQ(completion.items[1].error, OPC_E_BADRIGHTS);

  ASSERT_TRUE(waitUntil([&] { return !frames(WebSocketChannel::Write).empty(); }));
  EXPECT_THAT(frames(WebSocketChannel::Write), ElementsAre(R"({"batch_flag":true,"data_list":[)"
                                                           R"({"data":"1.5","data_code":"1","sn_code":"A1"}],)"
                                                           R"("req_type":1,"user_id":1001,"user_token":"tok-abc123"})"
                                                           "\n"));
  ASSERT_TRUE(waitUntil([&] { return standin.data().values().device("A1")["1"] == "1.5"; }));
}

TEST_F(AsyncRoadTest, AnAsyncReadAndARefreshCompleteThroughTheDataCallbackInTheirOrder) {
  standin.data().values().set("A1", "1", "42.5");
  standin.pushValues("A1");
  ASSERT_TRUE(waitUntil([&] { return goodValue("A1.Analog.Temp").fltVal == 42.5f; }));

  std::vector<OPCHANDLE> read = {handles[1], handles[0]};
  DWORD readCancelId = 0;
  DWORD refreshCancelId = 0;
  HRESULT* errors = nullptr;
  ASSERT_EQ(io->Read(2, read.data(), 31, &readCancelId, &errors), S_OK);
  CoTaskMemFree(errors);
  ASSERT_EQ(io->Refresh2(OPC_DS_CACHE, 32, &refreshCancelId), S_OK);
  EXPECT_NE(readCancelId, refreshCancelId);

  ASSERT_TRUE(waitUntil([&] { return sink.Calls().size() == 2; }));
  const std::vector<Call> calls = sink.Calls();
  EXPECT_EQ(calls[0].kind, Call::kReadComplete);
  EXPECT_EQ(calls[0].transactionId, 31u);
  EXPECT_EQ(calls[0].group, kGroupHandle);
  EXPECT_THAT(clientHandles(calls[0]), ElementsAre(kPumpHandle, kTempHandle));
  EXPECT_EQ(calls[0].items[1].type, VT_R4);
  EXPECT_EQ(calls[0].items[1].value, "42.5");
  EXPECT_EQ(calls[1].kind, Call::kDataChange);
  EXPECT_EQ(calls[1].transactionId, 32u);
  EXPECT_THAT(clientHandles(calls[1]), ElementsAre(kTempHandle, kPumpHandle, kSerialHandle));
  for (const Call& call : calls) EXPECT_FALSE(call.underLock);
}
