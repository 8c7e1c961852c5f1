// Clients working their groups and items on threads of their own while the
// host updates tags and the worker threads scan.
#include "app/CVorlixApp.h"
#include "support/ConnectedClient.h"
#include "support/Eventually.h"
#include "support/HostCalls.h"
#include "support/ItemNoticeLog.h"
#include "support/OpcTestGroup.h"
#include "tags/OPCTag.h"

#include "platform/IEnumUnknown.h"
#include "platform/opcguid.h"
#include "platform/widetext.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kTags = 6;
constexpr int kClients = 4;
constexpr int kRounds = 25;

std::string TagName(int i) { return "Plant.Tag" + std::to_string(i); }

// One client's round: a group with an item per tag, changed, cloned,
// enumerated, half its items removed, then removed itself.
void WorkAGroup(IOPCServer* opc, int round) {
  OpcTestGroup::Options options;
  options.rate = 10 + round;
  OpcTestGroup group(opc, nullptr, options);
  ASSERT_TRUE(SUCCEEDED(group.Added()));
  std::vector<TestItem> items;
  for (int i = 0; i < kTags; ++i) items.push_back({TagName(i)});
  const ItemCall added = group.AddItems(items);
  ASSERT_EQ(added.hr, S_OK);
  DWORD rate = 20;
  DWORD revised = 0;
  group.State()->SetState(&rate, &revised, nullptr, nullptr, nullptr, nullptr, nullptr);
  IUnknown* clone = nullptr;
  if (group.State()->CloneGroup(WidenAnsi("Clone " + std::to_string(round)).c_str(), IID_IUnknown, &clone) ==
      S_OK) {
    clone->Release();
  }
  IUnknown* unknown = nullptr;
  ASSERT_EQ(opc->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IEnumUnknown, &unknown), S_OK);
  auto* groups = static_cast<IEnumUnknown*>(unknown);
  IUnknown* listed = nullptr;
  while (groups->Next(1, &listed, nullptr) == S_OK) listed->Release();
  groups->Release();
  group.RemoveItems({added.results[0].hServer, added.results[2].hServer, added.results[4].hServer});
  opc->RemoveGroup(group.ServerHandle(), round % 2 == 0 ? TRUE : FALSE);
}

}  // namespace

TEST(GroupConcurrency, ClientsWorkTheirGroupsWhileTheHostUpdatesAndWorkersScan) {
  RunningServer server(10);
  ASSERT_TRUE(server.Started());
  std::vector<DWORD> tags;
  for (int i = 0; i < kTags; ++i) tags.push_back(NewTag(TagName(i)));
  ItemNoticeLog log;

  std::atomic<bool> clientsDone{false};
  std::thread host([&] {
    for (float value = 0; !clientsDone; value += 1.0f) {
      for (DWORD tag : tags) UpdateTag(tag, MakeR4(value), OPC_QUALITY_GOOD);
    }
  });
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([] {
      OpcTestClient client;
      ASSERT_EQ(client.Connect(), S_OK);
      IOPCServer* opc = client.OpcServer();
      ASSERT_NE(opc, nullptr);
      for (int round = 0; round < kRounds; ++round) WorkAGroup(opc, round);
    });
  }
  for (std::thread& client : clients) client.join();
  clientsDone = true;
  host.join();

  // Every client has gone with its groups: no tag counts an item any more.
  ASSERT_TRUE(Eventually([] { return VorlixApp().ClientThreadCount() == 0; }));
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  for (DWORD tag : tags) EXPECT_EQ(VorlixApp().TagFromHandle(tag)->live->refCount, 0);
  for (const ItemNotice& notice : log.Notices()) EXPECT_FALSE(notice.lockHeld);
}

TEST(GroupConcurrency, OfGroupsAddedUnderOneNameAtOnceOneIsMade) {
  ConnectedClient connected(10);
  ASSERT_TRUE(connected.Ready());
  std::atomic<int> made{0};
  std::atomic<int> refused{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      OpcTestGroup group(connected.opc, "Same");
      if (group.Added() == S_OK) ++made;
      if (group.Added() == OPC_E_DUPLICATENAME) ++refused;
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(made, 1);
  EXPECT_EQ(refused, 3);
}
