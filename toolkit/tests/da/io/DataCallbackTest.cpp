// A group's IOPCDataCallback connection point and what reaches the sink:
// propagation of tag updates with the deadband, the group scan, and the
// completions of reads, refreshes, writes and cancellations. The groups belong
// to a server object without a worker thread, so the test alone decides when
// tags reach the items (as UpdateTag does) and when a pulse scans.
#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "da/group/OPCGroup.h"
#include "da/group/OPCGroupConnectionContainer.h"
#include "da/group/PercentDeadband.h"
#include "da/server/OPCServer.h"
#include "support/HostCalls.h"
#include "support/OpcTestGroup.h"
#include "support/RecordingAdviseSink.h"
#include "support/RunningServer.h"
#include "support/TestDataCallback.h"
#include "support/TraceCapture.h"
#include "tags/OPCTag.h"

#include "support/CountingUnknown.h"

#include "platform/IConnectionPointContainer.h"
#include "platform/IDataObject.h"
#include "platform/IEnumConnectionPoints.h"
#include "platform/IOPCSecurityNT.h"
#include "platform/callcontext.h"
#include "platform/clipboard.h"
#include "platform/opcguid.h"
#include "platform/security.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Call = TestDataCallback::Call;

constexpr WORD kUncertain = 0x40;

class DataCallback : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(running_.Started());
    ASSERT_EQ(server_->QueryInterface(IID_IOPCServer, reinterpret_cast<void**>(&opc_)), S_OK);
  }
  void TearDown() override {
    for (IConnectionPoint* point : points_) point->Release();
    groups_.clear();
    if (opc_ != nullptr) opc_->Release();
  }

  // A group of the server with its items added.
  OpcTestGroup& AddGroup(const std::vector<TestItem>& items, DWORD rate = 0, FLOAT deadband = 0.0f,
                         BOOL active = TRUE) {
    OpcTestGroup::Options options;
    options.rate = rate;
    options.active = active;
    options.clientHandle = 77;
    options.percentDeadband = &deadband;
    groups_.push_back(
        std::make_unique<OpcTestGroup>(opc_, ("G" + std::to_string(groups_.size())).c_str(), options));
    OpcTestGroup& group = *groups_.back();
    EXPECT_TRUE(SUCCEEDED(group.Added()));
    if (!items.empty()) {
      handles_ = {};
      for (const OPCITEMRESULT& result : group.AddItems(items).results) handles_.push_back(result.hServer);
    }
    return group;
  }
  static OPCGroup& Of(OpcTestGroup& group) { return *static_cast<OPCGroup*>(group.Unknown()); }

  // The group's connection point, held until the test ends.
  IConnectionPoint* PointOf(OpcTestGroup& group) {
    IConnectionPointContainer* container = nullptr;
    EXPECT_EQ(group.Unknown()->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
              S_OK);
    IConnectionPoint* point = nullptr;
    EXPECT_EQ(container->FindConnectionPoint(IID_IOPCDataCallback, &point), S_OK);
    container->Release();
    points_.push_back(point);
    return point;
  }
  void Advise(OpcTestGroup& group, TestDataCallback& sink) {
    DWORD cookie = 0;
    ASSERT_EQ(PointOf(group)->Advise(&sink, &cookie), S_OK);
  }

  // What UpdateTag does for a client: the tag changes and reaches its items.
  void Update(DWORD tag, VARIANT value, WORD quality = OPC_QUALITY_GOOD) {
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    OPCTag* updated = VorlixApp().TagFromHandle(tag);
    ASSERT_EQ(updated->live->Update(value, quality, FILETIME{1, 2}), S_OK);
    server_->PropagateTag(*updated);
    VariantClear(&value);
  }
  // One pulse of the client's worker.
  void Pulse(BOOL forced = FALSE) { server_->ScanGroups(forced); }

  RunningServer running_{100};
  // Declared before the groups, so that they go first.
  TestDataCallback sinks_[2];
  const std::unique_ptr<OPCServer> server_ = std::make_unique<OPCServer>();
  IOPCServer* opc_ = nullptr;
  std::vector<std::unique_ptr<OpcTestGroup>> groups_;
  std::vector<IConnectionPoint*> points_;
  // The server handles of the items the last AddGroup added.
  std::vector<OPCHANDLE> handles_;
};

std::vector<OPCHANDLE> ClientHandles(const Call& call) {
  std::vector<OPCHANDLE> handles;
  for (const TestDataCallback::Item& item : call.items) handles.push_back(item.clientHandle);
  return handles;
}

std::vector<std::string> Values(const std::vector<Call>& calls) {
  std::vector<std::string> values;
  for (const Call& call : calls) {
    for (const TestDataCallback::Item& item : call.items) values.push_back(item.value);
  }
  return values;
}

}  // namespace

TEST(PercentDeadband, CountsAChangeFromTheReferenceValue) {
  const struct {
    FLOAT deadband;
    VARIANT reference;
    VARIANT value;
    BOOL changed;
  } cases[] = {
      {10.0f, MakeR4(100.0f), MakeR4(109.0f), FALSE},
      {10.0f, MakeR4(100.0f), MakeR4(110.0f), TRUE},  // equality counts
      {10.0f, MakeR4(100.0f), MakeR4(90.0f), TRUE},
      {10.0f, MakeR8(100.0), MakeI4(105), FALSE},
      {10.0f, MakeI4(-200), MakeI4(-221), TRUE},
      {10.0f, MakeR4(0.0f), MakeR4(0.0f), FALSE},
      {10.0f, MakeR4(0.0f), MakeR4(0.001f), TRUE},
      {0.0f, MakeR4(5.0f), MakeR4(5.0f), TRUE},
      {10.0f, VARIANT{}, MakeR4(1.0f), TRUE},  // a new item's first value
      {10.0f, MakeBstr(OLESTR("on")), MakeBstr(OLESTR("on")), TRUE},
      {10.0f, MakeR4(100.0f), MakeBstr(OLESTR("none")), TRUE},  // no float: counts
      {10.0f, MakeR8(100.0), MakeR8(1e300), TRUE},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DeadbandChanged(c.deadband, c.reference, c.value), c.changed)
        << c.deadband << "% of type " << c.reference.vt << " to type " << c.value.vt;
    VARIANT reference = c.reference;
    VARIANT value = c.value;
    VariantClear(&reference);
    VariantClear(&value);
  }
}

TEST_F(DataCallback, ThePointHoldsOneDataCallbackSinkUnderCookieOne) {
  NewTag("Plant.Flow");
  OpcTestGroup& group = AddGroup({{"Plant.Flow"}});
  IConnectionPoint* point = PointOf(group);
  TestDataCallback first;
  TestDataCallback second;
  CountingUnknown notASink;
  DWORD cookie = 9;
  EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
  EXPECT_EQ(point->Advise(&first, nullptr), E_POINTER);
  EXPECT_EQ(point->Advise(&notASink, &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_FALSE(Of(group).HasCallbackSink());

  ASSERT_EQ(point->Advise(&first, &cookie), S_OK);
  EXPECT_EQ(cookie, 1u);
  EXPECT_TRUE(Of(group).HasCallbackSink());
  EXPECT_EQ(point->Advise(&second, &cookie), CONNECT_E_ADVISELIMIT);
  EXPECT_EQ(point->Unadvise(2), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(first.References(), 1);
  EXPECT_EQ(point->Unadvise(1), S_OK);
  EXPECT_EQ(first.References(), 0);
  EXPECT_FALSE(Of(group).HasCallbackSink());
  ASSERT_EQ(point->Advise(&second, &cookie), S_OK);

  IID connected{};
  ASSERT_EQ(point->GetConnectionInterface(&connected), S_OK);
  EXPECT_EQ(connected, IID_IOPCDataCallback);

  // The group keeps the sink until it goes.
  group.Release();
  for (IConnectionPoint* held : points_) held->Release();
  points_.clear();
  groups_.clear();
  opc_->Release();
  opc_ = nullptr;
  EXPECT_EQ(second.References(), 1);
  const_cast<std::unique_ptr<OPCServer>&>(server_).reset();
  EXPECT_EQ(second.References(), 0);
}

TEST_F(DataCallback, ContainerAndEnumeratorAnswerForTheOnePointAndKeepTheGroupsCountBalanced) {
  OpcTestGroup& group = AddGroup({});
  IConnectionPointContainer* container = nullptr;
  ASSERT_EQ(group.Unknown()->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
            S_OK);
  const LONG before = Of(group).ReferenceCount();
  TraceCapture capture;

  EXPECT_EQ(container->EnumConnectionPoints(nullptr), E_POINTER);
  EXPECT_EQ(container->FindConnectionPoint(IID_IOPCDataCallback, nullptr), E_POINTER);
  IConnectionPoint* point = reinterpret_cast<IConnectionPoint*>(0x1);
  EXPECT_EQ(container->FindConnectionPoint(IID_IOPCShutdown, &point), E_NOINTERFACE);
  EXPECT_EQ(point, nullptr);
  EXPECT_EQ(capture.Lines().front().text, "CIOPCGroupConnectionContainer::EnumConnectionPoints E_POINTER");

  IEnumConnectionPoints* points = nullptr;
  ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
  IConnectionPoint* listed[2] = {nullptr, nullptr};
  ULONG fetched = 0;
  ASSERT_EQ(points->Next(1, listed, &fetched), S_OK);
  EXPECT_EQ(fetched, 1u);
  EXPECT_EQ(points->Next(1, listed + 1, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  ASSERT_EQ(points->Reset(), S_OK);
  IConnectionPoint* again = nullptr;
  ASSERT_EQ(points->Next(1, &again, &fetched), S_OK);
  EXPECT_EQ(again, listed[0]);
  IID connected{};
  ASSERT_EQ(again->GetConnectionInterface(&connected), S_OK);
  EXPECT_EQ(connected, IID_IOPCDataCallback);
  IConnectionPointContainer* owner = nullptr;
  ASSERT_EQ(again->GetConnectionPointContainer(&owner), S_OK);
  EXPECT_EQ(owner, container);

  owner->Release();
  again->Release();
  listed[0]->Release();
  points->Release();
  EXPECT_EQ(Of(group).ReferenceCount(), before);
  container->Release();
}

TEST_F(DataCallback, AScanSendsTheChangedActiveItemsOnceWithTheirValues) {
  const DWORD flow = NewTag("Plant.Flow", MakeR4(1.0f));
  NewTag("Plant.Level", MakeI4(7));
  VARIANT automatic = MakeBstr(OLESTR("auto"));
  const DWORD mode = NewTag("Plant.Mode", automatic);
  VariantClear(&automatic);
  NewTag("Plant.Idle");
  OpcTestGroup& group =
      AddGroup({{"Plant.Flow", "", 1}, {"Plant.Level", "", 2, VT_R8}, {"Plant.Mode", "", 3}, {"Plant.Idle", "", 4,
                                                                                            VT_EMPTY, FALSE}});
  TestDataCallback& sink = sinks_[0];
  Advise(group, sink);

  // New items count as changed: the first scan sends every active one.
  Pulse();
  std::vector<Call> calls = sink.Take();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].kind, Call::kDataChange);
  EXPECT_EQ(calls[0].transactionId, 0u);
  EXPECT_EQ(calls[0].group, 77u);
  EXPECT_EQ(calls[0].masterQuality, S_OK);
  EXPECT_EQ(calls[0].masterError, S_OK);
  EXPECT_EQ(ClientHandles(calls[0]), (std::vector<OPCHANDLE>{1, 2, 3}));
  EXPECT_EQ(calls[0].items[1].type, VT_R8);
  EXPECT_EQ(Values(calls), (std::vector<std::string>{"1", "7", "auto"}));
  EXPECT_FALSE(calls[0].underLock);
  Pulse();
  EXPECT_TRUE(sink.Take().empty());

  // One update, one item; a text counts even when it stays the same.
  Update(flow, MakeR4(2.5f));
  Update(mode, MakeBstr(OLESTR("auto")));
  Pulse();
  calls = sink.Take();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(ClientHandles(calls[0]), (std::vector<OPCHANDLE>{1, 3}));
  EXPECT_EQ(Values(calls), (std::vector<std::string>{"2.5", "auto"}));
  EXPECT_EQ(calls[0].items[0].quality, OPC_QUALITY_GOOD);
  EXPECT_EQ(calls[0].items[0].timestamp.dwLowDateTime, 1u);
  EXPECT_EQ(calls[0].items[0].timestamp.dwHighDateTime, 2u);

  // An uncertain item makes the master quality S_FALSE.
  Update(flow, MakeR4(2.5f), kUncertain);
  Pulse();
  calls = sink.Take();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].masterQuality, S_FALSE);
  EXPECT_EQ(calls[0].items[0].quality, kUncertain);
}

TEST_F(DataCallback, AChangePastTheDeadbandStaysUntilItIsSent) {
  const DWORD flow = NewTag("Plant.Flow", MakeR4(100.0f));
  OpcTestGroup& group = AddGroup({{"Plant.Flow", "", 1}}, 0, 10.0f);
  TestDataCallback& sink = sinks_[0];
  Advise(group, sink);
  // A new item has no reference value yet: its first update counts.
  Update(flow, MakeR4(100.0f));
  Pulse();
  EXPECT_EQ(Values(sink.Take()), std::vector<std::string>{"100"});

  Update(flow, MakeR4(109.0f));
  Pulse();
  EXPECT_TRUE(sink.Take().empty());
  // The reference stays 100: 110 passes.
  Update(flow, MakeR4(110.0f));
  // An update inside the deadband does not undo the change; it is sent with
  // the latest value.
  Update(flow, MakeR4(115.0f));
  Pulse();
  EXPECT_EQ(Values(sink.Take()), std::vector<std::string>{"115"});
  // The reference is now 110: 120 stays inside, 121 passes.
  Update(flow, MakeR4(120.0f));
  Pulse();
  EXPECT_TRUE(sink.Take().empty());
  // A quality change counts whatever the value.
  Update(flow, MakeR4(120.0f), kUncertain);
  Update(flow, MakeR4(121.0f), kUncertain);
  Pulse();
  EXPECT_EQ(Values(sink.Take()), std::vector<std::string>{"121"});
}

TEST_F(DataCallback, AGroupSendsWhenItsUpdateRateIsReachedWhileActive) {
  const DWORD flow = NewTag("Plant.Flow");
  OpcTestGroup& slow = AddGroup({{"Plant.Flow", "", 1}}, 300);
  OpcTestGroup& every = AddGroup({{"Plant.Flow", "", 2}}, 0);
  TestDataCallback& slowSink = sinks_[0];
  TestDataCallback& everySink = sinks_[1];
  Advise(slow, slowSink);
  Advise(every, everySink);
  float value = 1.0f;
  // Sent on every third pulse at a base rate of 100 ms, on every pulse at rate 0.
  std::vector<size_t> slowSends;
  for (int pulse = 1; pulse <= 6; ++pulse) {
    Update(flow, MakeR4(value++));
    Pulse();
    if (!slowSink.Take().empty()) slowSends.push_back(pulse);
    EXPECT_EQ(everySink.Take().size(), 1u) << pulse;
  }
  EXPECT_EQ(slowSends, (std::vector<size_t>{3, 6}));

  // Inactive, it neither sends nor counts; active again, it goes on counting.
  Pulse();
  ASSERT_EQ(Of(slow).ElapsedTime(), 100u);
  Of(slow).SetActive(FALSE);
  Update(flow, MakeR4(value++));
  for (int pulse = 0; pulse < 4; ++pulse) Pulse();
  Pulse(TRUE);
  EXPECT_TRUE(slowSink.Take().empty());
  EXPECT_EQ(Of(slow).ElapsedTime(), 100u);
  Of(slow).SetActive(TRUE);
  Pulse();
  EXPECT_TRUE(slowSink.Take().empty());
  Pulse();
  EXPECT_EQ(slowSink.Take().size(), 1u);

  // Forced, it sends at once and starts counting again.
  Pulse();
  Update(flow, MakeR4(value++));
  Pulse(TRUE);
  EXPECT_EQ(slowSink.Take().size(), 1u);
  EXPECT_EQ(Of(slow).ElapsedTime(), 0u);
}

TEST_F(DataCallback, ChangesAccumulateWhileTheCallbackIsDisabled) {
  const DWORD flow = NewTag("Plant.Flow");
  const DWORD level = NewTag("Plant.Level");
  OpcTestGroup& group = AddGroup({{"Plant.Flow", "", 1}, {"Plant.Level", "", 2}});
  EXPECT_FALSE(Of(group).GetCallbackEnable());
  EXPECT_FALSE(Of(group).SetCallbackEnable(FALSE));  // no container yet
  TestDataCallback& sink = sinks_[0];
  Advise(group, sink);
  EXPECT_TRUE(Of(group).GetCallbackEnable());
  Pulse();
  sink.Take();

  ASSERT_TRUE(Of(group).SetCallbackEnable(FALSE));
  EXPECT_FALSE(Of(group).GetCallbackEnable());
  Update(flow, MakeR4(1.0f));
  Pulse();
  Update(level, MakeR4(2.0f));
  Pulse();
  EXPECT_TRUE(sink.Take().empty());

  ASSERT_TRUE(Of(group).SetCallbackEnable(TRUE));
  Pulse();
  const std::vector<Call> calls = sink.Take();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(ClientHandles(calls[0]), (std::vector<OPCHANDLE>{1, 2}));
}

TEST_F(DataCallback, ReadsRefreshesWritesAndCancellationsReachTheSink) {
  NewTag("Plant.Flow", MakeR4(1.5f));
  NewTag("Plant.Level", MakeI4(4));
  NewTag("Plant.Idle");
  OpcTestGroup& group =
      AddGroup({{"Plant.Flow", "", 1}, {"Plant.Level", "", 2}, {"Plant.Idle", "", 3, VT_EMPTY, FALSE}});
  const std::vector<OPCHANDLE> items = handles_;
  TestDataCallback& sink = sinks_[0];
  Advise(group, sink);
  OPCGroupConnectionContainer& container = *Of(group).CallbackContainer();

  // A read names the level twice and an item that is gone.
  container.SendReadComplete(5, {items[1], items[0], items[1], 0xBADu});
  // A refresh sends the active items, disabled or not, and leaves the changed flags.
  Of(group).SetCallbackEnable(FALSE);
  container.SendRefresh(6);
  Of(group).SetCallbackEnable(TRUE);
  ASSERT_EQ(group.RemoveItems({items[1]}).errors, std::vector<HRESULT>{S_OK});
  container.SendWriteComplete(7, {items[0], items[1]}, {S_OK, OPC_E_BADRIGHTS});
  container.SendWriteComplete(8, {items[0]}, {S_OK});
  container.SendCancelComplete(9);

  const std::vector<Call> calls = sink.Take();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].kind, Call::kReadComplete);
  EXPECT_EQ(calls[0].transactionId, 5u);
  EXPECT_EQ(ClientHandles(calls[0]), (std::vector<OPCHANDLE>{2, 1, 2}));
  EXPECT_EQ(Values({calls[0]}), (std::vector<std::string>{"4", "1.5", "4"}));
  EXPECT_EQ(calls[1].kind, Call::kDataChange);
  EXPECT_EQ(calls[1].transactionId, 6u);
  EXPECT_EQ(ClientHandles(calls[1]), (std::vector<OPCHANDLE>{1, 2}));
  // A removed item is reported under its server handle.
  EXPECT_EQ(calls[2].kind, Call::kWriteComplete);
  EXPECT_EQ(calls[2].transactionId, 7u);
  EXPECT_EQ(calls[2].group, 77u);
  EXPECT_EQ(calls[2].masterError, S_FALSE);
  EXPECT_EQ(ClientHandles(calls[2]), (std::vector<OPCHANDLE>{1, items[1]}));
  EXPECT_EQ(calls[2].items[1].error, OPC_E_BADRIGHTS);
  EXPECT_EQ(calls[3].masterError, S_OK);
  EXPECT_EQ(calls[4].kind, Call::kCancelComplete);
  EXPECT_EQ(calls[4].transactionId, 9u);
  EXPECT_EQ(calls[4].group, 77u);
  for (const Call& call : calls) EXPECT_FALSE(call.underLock);

  // The read and the refresh left the flags alone: the scan still sends the new items.
  Pulse();
  EXPECT_EQ(ClientHandles(sink.Take().at(0)), std::vector<OPCHANDLE>{1});
}

TEST_F(DataCallback, AClientWhoseUserLostTheReadRightGetsBadRightsForItsItems) {
  DefineAccount("alice");
  DefineAccount("bob");
  ASSERT_TRUE(EnableNTSecurity(TRUE, RPC_C_IMP_LEVEL_IMPERSONATE));
  ASSERT_EQ(DefineNTUser(std::string("alice").data(), std::string("alice").data(), 0x00010000), 0u);
  char name[] = "Plant.Flow";
  const DWORD flow = CreateSecureTag(name, MakeR4(0), OPC_QUALITY_GOOD, 0x00010000, 0x00010000);
  OpcTestGroup* group = nullptr;
  {
    ScopedCallContext alice(ClientCallContext{"alice", {}, RPC_C_IMP_LEVEL_IMPERSONATE, true});
    group = &AddGroup({{"Plant.Flow", "", 1}});
  }
  TestDataCallback& sink = sinks_[0];
  Advise(*group, sink);
  Update(flow, MakeR4(3.0f));
  Pulse();
  ASSERT_EQ(sink.Take().at(0).masterError, S_OK);

  IOPCSecurityNT* security = nullptr;
  ASSERT_EQ(opc_->QueryInterface(IID_IOPCSecurityNT, reinterpret_cast<void**>(&security)), S_OK);
  {
    ScopedCallContext bob(ClientCallContext{"bob", {}, RPC_C_IMP_LEVEL_IMPERSONATE, true});
    ASSERT_EQ(security->ChangeUser(), S_OK);
  }
  security->Release();
  Update(flow, MakeR4(4.0f));
  Pulse();
  const std::vector<Call> calls = sink.Take();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].masterError, S_FALSE);
  EXPECT_EQ(calls[0].items[0].error, OPC_E_BADRIGHTS);
  EXPECT_EQ(calls[0].items[0].type, VT_EMPTY);
  ForgetDefinedAccounts();
}

TEST_F(DataCallback, WithNTSecurityOffChangeUserKeepsTheTagsOwnRights) {
  char name[] = "Plant.Serial";
  CreateTag(name, MakeI4(1), OPC_QUALITY_GOOD, FALSE);
  const DWORD gone = NewTag("Plant.Gone");
  OpcTestGroup& group = AddGroup({{"Plant.Serial", "", 1}, {"Plant.Gone", "", 2}});
  ASSERT_TRUE(RemoveTag(gone));
  EXPECT_FALSE(Of(group).RecheckRights());
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  EXPECT_EQ(Of(group).ItemAt(0)->accessRights, static_cast<DWORD>(OPC_READABLE));
  EXPECT_EQ(Of(group).ItemAt(1)->accessRights, 0u);
  EXPECT_EQ(Of(group).ItemAt(2), nullptr);
}

TEST_F(DataCallback, AChangeReachesTheOneZeroSinksAndTheCallbackAlikeAndOnlyTheCallbackClearsIt) {
  const DWORD flow = NewTag("Plant.Flow", MakeI4(1));
  OpcTestGroup& group = AddGroup({{"Plant.Flow", "", 5}});
  Advise(group, sinks_[0]);
  IDataObject* data = nullptr;
  ASSERT_EQ(group.Unknown()->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&data)), S_OK);
  RecordingAdviseSink streamSink;
  FORMATETC format{static_cast<CLIPFORMAT>(RegisterClipboardFormatA("OPCSTMFORMATDATA")), nullptr, DVASPECT_CONTENT,
                   -1, TYMED_HGLOBAL};
  DWORD connection = 0;
  ASSERT_EQ(data->DAdvise(&format, 0, &streamSink, &connection), S_OK);

  Pulse(TRUE);
  EXPECT_EQ(streamSink.Streams().size(), 1u);
  ASSERT_EQ(sinks_[0].Calls().size(), 1u);
  EXPECT_EQ(ClientHandles(sinks_[0].Calls()[0]), std::vector<OPCHANDLE>{5});

  // With the callback turned off the change waits for it, and the 1.0 sink
  // is sent it again on every pulse meanwhile.
  ASSERT_TRUE(Of(group).SetCallbackEnable(FALSE));
  Update(flow, MakeI4(2));
  Pulse(TRUE);
  Pulse(TRUE);
  EXPECT_EQ(streamSink.Streams().size(), 3u);
  EXPECT_EQ(sinks_[0].Calls().size(), 1u);
  ASSERT_TRUE(Of(group).SetCallbackEnable(TRUE));
  Pulse(TRUE);
  EXPECT_EQ(Values(sinks_[0].Calls()), (std::vector<std::string>{"1", "2"}));

  EXPECT_EQ(data->DUnadvise(connection), S_OK);
  data->Release();
}
