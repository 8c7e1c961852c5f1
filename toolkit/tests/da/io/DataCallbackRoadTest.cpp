// Values on their way to IOPCDataCallback sinks through the real client
// workers: the host updates tags, the worker threads scan the groups, and
// clients connect, advise, unadvise and remove groups meanwhile, also from
// inside their own sinks.
#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "support/ConnectedClient.h"
#include "support/Eventually.h"
#include "support/HostCalls.h"
#include "support/OpcTestGroup.h"
#include "support/TestDataCallback.h"
#include "tags/OPCTag.h"

#include "platform/IConnectionPointContainer.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kTags = 5;
constexpr int kClients = 4;
constexpr int kRounds = 20;

std::string TagName(int i) { return "Plant.Tag" + std::to_string(i); }

// The group's data-callback point, AddRef'd; NULL when it cannot be had.
IConnectionPoint* DataCallbackPoint(IUnknown* group) {
  IConnectionPointContainer* container = nullptr;
  if (group->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)) != S_OK) {
    return nullptr;
  }
  IConnectionPoint* point = nullptr;
  container->FindConnectionPoint(IID_IOPCDataCallback, &point);
  container->Release();
  return point;
}

// One client's round: a group over every tag with a sink advised; it waits
// for a delivery in some rounds, then lets go in one of several ways.
void WorkAGroup(IOPCServer* opc, TestDataCallback& sink, int round) {
  OpcTestGroup::Options options;
  options.rate = round % 3 == 0 ? 0 : 20;
  OpcTestGroup group(opc, nullptr, options);
  ASSERT_TRUE(SUCCEEDED(group.Added()));
  std::vector<TestItem> items;
  for (int i = 0; i < kTags; ++i) items.push_back({TagName(i), "", static_cast<OPCHANDLE>(i)});
  ASSERT_EQ(group.AddItems(items).hr, S_OK);
  IConnectionPoint* point = DataCallbackPoint(group.Unknown());
  ASSERT_NE(point, nullptr);
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
  if (round % 2 == 0) {
    const size_t before = sink.DeliveredItems();
    EXPECT_TRUE(Eventually([&] { return sink.DeliveredItems() > before; }));
  }
  switch (round % 4) {
    case 0:
      EXPECT_EQ(point->Unadvise(cookie), S_OK);
      break;
    case 1:
      opc->RemoveGroup(group.ServerHandle(), FALSE);
      break;
    case 2:
      opc->RemoveGroup(group.ServerHandle(), TRUE);
      break;
    default:
      break;  // the group goes with the sink connected
  }
  point->Release();
}

}  // namespace

TEST(DataCallbackRoad, AnUpdatedTagReachesTheSinkOnTheWorkersThread) {
  ConnectedClient connected(10);
  ASSERT_TRUE(connected.Ready());
  const DWORD flow = NewTag("Plant.Flow", MakeR4(1.0f));
  TestDataCallback sink;
  {
    OpcTestGroup::Options options;
    options.rate = 0;
    options.clientHandle = 31;
    OpcTestGroup group(connected.opc, "G", options);
    ASSERT_EQ(group.AddItems({{"Plant.Flow", "", 5, VT_R8}}).hr, S_OK);
    IConnectionPoint* point = DataCallbackPoint(group.Unknown());
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    ASSERT_TRUE(Eventually([&] { return sink.DeliveredItems() == 1; }));

    const FILETIME stamp{0x12345678, 0x01D00000};
    ASSERT_TRUE(UpdateTagWithTimeStamp(flow, MakeR4(2.5f), OPC_QUALITY_GOOD, stamp));
    ASSERT_TRUE(Eventually([&] { return sink.DeliveredItems() == 2; }));
    const TestDataCallback::Call call = sink.Calls().back();
    EXPECT_EQ(call.group, 31u);
    ASSERT_EQ(call.items.size(), 1u);
    EXPECT_EQ(call.items[0].clientHandle, 5u);
    EXPECT_EQ(call.items[0].type, VT_R8);
    EXPECT_EQ(call.items[0].value, "2.5");
    EXPECT_EQ(call.items[0].quality, OPC_QUALITY_GOOD);
    EXPECT_EQ(call.items[0].timestamp.dwLowDateTime, stamp.dwLowDateTime);
    EXPECT_EQ(call.items[0].timestamp.dwHighDateTime, stamp.dwHighDateTime);
    EXPECT_NE(call.thread, std::this_thread::get_id());
    EXPECT_FALSE(call.underLock);
    point->Release();
    EXPECT_EQ(connected.opc->RemoveGroup(group.ServerHandle(), FALSE), OPC_S_INUSE);
  }
  EXPECT_TRUE(Eventually([&] { return sink.References() == 0; }));
}

TEST(DataCallbackRoad, ASinkMayUnadviseReleaseOrRemoveItsGroupFromInsideACall) {
  ConnectedClient connected(10);
  ASSERT_TRUE(connected.Ready());
  const DWORD flow = NewTag("Plant.Flow");
  IOPCServer* opc = connected.opc;
  const std::vector<std::function<void(IUnknown*, IConnectionPoint*, OPCHANDLE)>> reactions = {
      [](IUnknown*, IConnectionPoint* point, OPCHANDLE) { point->Unadvise(1); },
      [](IUnknown* group, IConnectionPoint* point, OPCHANDLE) {
        point->Release();
        group->Release();
      },
      [opc](IUnknown*, IConnectionPoint*, OPCHANDLE handle) { opc->RemoveGroup(handle, TRUE); },
  };
  for (size_t r = 0; r < reactions.size(); ++r) {
    TestDataCallback sink;
    IUnknown* group = nullptr;
    OPCHANDLE handle = 0;
    DWORD revised = 0;
    ASSERT_TRUE(
        SUCCEEDED(opc->AddGroup(OLESTR(""), TRUE, 0, 0, nullptr, nullptr, 0, &handle, &revised, IID_IUnknown, &group)));
    IOPCItemMgt* items = nullptr;
    ASSERT_EQ(group->QueryInterface(IID_IOPCItemMgt, reinterpret_cast<void**>(&items)), S_OK);
    ItemDefinition definition("", "Plant.Flow");
    OPCITEMDEF def = definition.Get();
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    ASSERT_EQ(items->AddItems(1, &def, &results, &errors), S_OK);
    CoTaskMemFree(results);
    CoTaskMemFree(errors);
    items->Release();
    IConnectionPoint* point = DataCallbackPoint(group);
    std::atomic<int> reacted{0};
    sink.SetReaction([&, r] {
      if (reacted++ == 0) reactions[r](group, point, handle);
    });
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    ASSERT_TRUE(Eventually([&] { return reacted > 0; })) << r;
    // Whatever the sink did, the next updates harm nothing.
    for (int i = 0; i < 5; ++i) UpdateTag(flow, MakeR4(static_cast<float>(i)), OPC_QUALITY_GOOD);
    RefreshAllClients();
    if (r != 1) {
      point->Release();
      group->Release();
    }
    opc->RemoveGroup(handle, FALSE);
    EXPECT_TRUE(Eventually([&] { return sink.References() == 0; })) << r;
  }
}

TEST(DataCallbackRoad, ARefreshInsideAnUpdateBatchIsSentByTheWorkerAfterTheBatch) {
  ConnectedClient connected(10);
  ASSERT_TRUE(connected.Ready());
  const DWORD flow = NewTag("Plant.Flow");
  TestDataCallback sink;
  OpcTestGroup::Options options;
  options.rate = 600000;  // never reached: only a forced scan sends
  OpcTestGroup group(connected.opc, "G", options);
  ASSERT_EQ(group.AddItems({{"Plant.Flow", "", 5}}).hr, S_OK);
  IConnectionPoint* point = DataCallbackPoint(group.Unknown());
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);

  ASSERT_TRUE(StartUpdateTags());
  ASSERT_TRUE(UpdateTagToList(flow, MakeR4(6.0f), OPC_QUALITY_GOOD));
  ASSERT_TRUE(RefreshAllClients());
  ASSERT_TRUE(EndUpdateTags());
  ASSERT_TRUE(Eventually([&] { return sink.DeliveredItems() == 1; }));
  const TestDataCallback::Call call = sink.Calls().at(0);
  EXPECT_EQ(call.items.at(0).value, "6");
  EXPECT_FALSE(call.underLock);
  EXPECT_NE(call.thread, std::this_thread::get_id());
  point->Release();
  connected.opc->RemoveGroup(group.ServerHandle(), TRUE);
}

TEST(DataCallbackRoad, ClientsAdviseUnadviseAndRemoveGroupsWhileTheHostUpdates) {
  ConnectedClient connected(10);
  ASSERT_TRUE(connected.Ready());
  std::vector<DWORD> tags;
  for (int i = 0; i < kTags; ++i) tags.push_back(NewTag(TagName(i)));

  std::atomic<bool> clientsDone{false};
  std::thread host([&] {
    for (float value = 0; !clientsDone; value += 1.0f) {
      for (DWORD tag : tags) UpdateTag(tag, MakeR4(value), OPC_QUALITY_GOOD);
      StartUpdateTags();
      for (DWORD tag : tags) UpdateTagToList(tag, MakeR4(-value), OPC_QUALITY_GOOD);
      EndUpdateTags();
      RefreshAllClients();
    }
  });
  std::vector<std::thread> clients;
  std::vector<TestDataCallback> sinks(kClients);
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&sinks, c] {
      OpcTestClient client;
      ASSERT_EQ(client.Connect(), S_OK);
      IOPCServer* opc = client.OpcServer();
      ASSERT_NE(opc, nullptr);
      for (int round = 0; round < kRounds; ++round) WorkAGroup(opc, sinks[c], round + c);
    });
  }
  for (std::thread& client : clients) client.join();
  clientsDone = true;
  host.join();

  for (const TestDataCallback& sink : sinks) {
    EXPECT_GT(sink.DeliveredItems(), 0u);
    for (const TestDataCallback::Call& call : sink.Calls()) EXPECT_FALSE(call.underLock);
  }
}
