// Items as a client adds, checks, changes and removes them through IOPCItemMgt.
#include "app/CVorlixApp.h"
#include "da/group/OPCGroup.h"
#include "support/ConnectedClient.h"
#include "support/HostCalls.h"
#include "support/ItemNoticeLog.h"
#include "support/OpcTestGroup.h"
#include "tags/OPCTag.h"

#include "platform/IEnumOPCItemAttributes.h"
#include "platform/callcontext.h"
#include "platform/opcguid.h"
#include "platform/security.h"
#include "platform/taskmemory.h"
#include "platform/widetext.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

int TagRefCount(DWORD handle) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  return VorlixApp().TagFromHandle(handle)->live->refCount;
}

struct ItemsFixture : public ::testing::Test {
  void SetUp() override { ASSERT_TRUE(connected.Ready()); }
  ConnectedClient connected{100};
};

using ItemManagement = ItemsFixture;

}  // namespace

TEST_F(ItemManagement, ValidItemsBecomeItemsAndTheOthersGetTheirOwnError) {
  const DWORD flow = NewTag("Plant.Flow", MakeI4(5));
  OpcTestGroup group(connected.opc, "G");
  const ItemCall call = group.AddItems({{"Plant.Flow", "", 11}, {"Plant.Nothing", "", 12}, {"Flow", "Plant", 13}, {""}});
  EXPECT_EQ(call.hr, S_FALSE);
  ASSERT_EQ(call.errors, (std::vector<HRESULT>{S_OK, OPC_E_UNKNOWNITEMID, S_OK, OPC_E_INVALIDITEMID}));
  EXPECT_NE(call.results[0].hServer, 0u);
  EXPECT_EQ(call.results[0].vtCanonicalDataType, VT_I4);
  EXPECT_EQ(call.results[0].dwAccessRights, OPC_READABLE | OPC_WRITEABLE);
  EXPECT_EQ(call.results[0].dwBlobSize, 0u);
  EXPECT_EQ(call.results[0].pBlob, nullptr);
  EXPECT_EQ(call.results[1].hServer, 0u);
  EXPECT_EQ(call.results[1].vtCanonicalDataType, VT_EMPTY);
  // The same tag named twice: two items with handles of their own.
  EXPECT_NE(call.results[2].hServer, 0u);
  EXPECT_NE(call.results[2].hServer, call.results[0].hServer);
  EXPECT_EQ(TagRefCount(flow), 2);

  const std::vector<OPCITEMATTRIBUTES> listed = group.ListItems();
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].hServer, call.results[0].hServer);
  EXPECT_EQ(listed[0].hClient, 11u);
  EXPECT_EQ(listed[1].hClient, 13u);

  EXPECT_EQ(group.AddItems({{"Plant.Flow"}}).hr, S_OK);
  EXPECT_EQ(TagRefCount(flow), 3);
}

TEST_F(ItemManagement, BadArgumentsAndMissingMemoryChangeNothing) {
  const DWORD flow = NewTag("Plant.Flow");
  OpcTestGroup group(connected.opc, "G");
  std::vector<WideString> texts{WidenAnsi("Plant.Flow")};
  OPCITEMDEF definition{nullptr, texts[0].data(), TRUE, 0, 0, nullptr, VT_EMPTY, 0};
  OPCITEMRESULT* results = reinterpret_cast<OPCITEMRESULT*>(&texts);
  HRESULT* errors = reinterpret_cast<HRESULT*>(&texts);
  EXPECT_EQ(group.Items()->AddItems(0, &definition, &results, &errors), E_INVALIDARG);
  EXPECT_EQ(results, nullptr);
  EXPECT_EQ(errors, nullptr);
  EXPECT_EQ(group.Items()->AddItems(1, nullptr, &results, &errors), E_INVALIDARG);
  EXPECT_EQ(group.Items()->AddItems(1, &definition, nullptr, &errors), E_INVALIDARG);
  EXPECT_EQ(group.Items()->ValidateItems(1, &definition, FALSE, &results, nullptr), E_INVALIDARG);
  EXPECT_EQ(results, nullptr);
  for (ULONG failing : {1u, 2u}) {
    const size_t blocks = TaskMemoryLiveBlocks();
    TaskMemoryFailNextAllocations(failing);
    EXPECT_EQ(group.Items()->AddItems(1, &definition, &results, &errors), E_OUTOFMEMORY);
    TaskMemoryFailNextAllocations(0);
    EXPECT_EQ(results, nullptr);
    EXPECT_EQ(errors, nullptr);
    EXPECT_EQ(TaskMemoryLiveBlocks(), blocks);
  }
  EXPECT_EQ(TagRefCount(flow), 0);
  EXPECT_TRUE(group.ListItems().empty());

  HRESULT* removeErrors = reinterpret_cast<HRESULT*>(&texts);
  OPCHANDLE handle = 1;
  EXPECT_EQ(group.Items()->RemoveItems(0, &handle, &removeErrors), E_INVALIDARG);
  EXPECT_EQ(removeErrors, nullptr);
  EXPECT_EQ(group.Items()->RemoveItems(1, nullptr, &removeErrors), E_INVALIDARG);
  EXPECT_EQ(group.Items()->RemoveItems(1, &handle, nullptr), E_INVALIDARG);
  EXPECT_EQ(group.Items()->SetClientHandles(1, &handle, nullptr, &removeErrors), E_INVALIDARG);
  EXPECT_EQ(group.Items()->SetDatatypes(1, &handle, nullptr, &removeErrors), E_INVALIDARG);
  EXPECT_EQ(group.Items()->SetActiveState(1, &handle, TRUE, nullptr), E_INVALIDARG);
}

TEST_F(ItemManagement, ValidationCreatesNothing) {
  const DWORD flow = NewTag("Plant.Flow", MakeI4(5));
  ItemNoticeLog log;
  OpcTestGroup group(connected.opc, "G");
  const ItemCall call = group.ValidateItems({{"Plant.Flow", "", 0, VT_R8}, {"Plant.Flow", "", 0, VT_BSTR | VT_ARRAY}});
  EXPECT_EQ(call.hr, S_FALSE);
  ASSERT_EQ(call.errors, (std::vector<HRESULT>{S_OK, OPC_E_BADTYPE}));
  EXPECT_EQ(call.results[0].hServer, 0u);
  EXPECT_EQ(call.results[0].vtCanonicalDataType, VT_I4);
  EXPECT_EQ(call.results[0].dwAccessRights, OPC_READABLE | OPC_WRITEABLE);
  EXPECT_EQ(TagRefCount(flow), 0);
  EXPECT_TRUE(group.ListItems().empty());
  EXPECT_TRUE(log.Notices().empty());
}

TEST_F(ItemManagement, TheHostHearsEachNewFastestRateAndTheLossOfTheLastItem) {
  const DWORD tag = NewTag("Plant.Flow");
  ItemNoticeLog log;
  const struct {
    const char* name;
    DWORD rate;
  } groups[] = {{"Slow", 1000}, {"Fast", 500}, {"Slower", 2000}};
  std::vector<std::unique_ptr<OpcTestGroup>> made;
  std::vector<OPCHANDLE> items;
  for (const auto& g : groups) {
    OpcTestGroup::Options options;
    options.rate = g.rate;
    made.push_back(std::make_unique<OpcTestGroup>(connected.opc, g.name, options));
    items.push_back(made.back()->AddItems({{"Plant.Flow"}}).results[0].hServer);
  }
  // The first item, then a faster one; the slower third says nothing.
  EXPECT_EQ(log.Take(), (std::vector<ItemNotice>{RateNotice(tag, 1000), RateNotice(tag, 500)}));

  // Removing the fastest gives the next fastest; a slower one says nothing.
  EXPECT_EQ(made[1]->RemoveItems({items[1]}).hr, S_OK);
  EXPECT_EQ(log.Take(), std::vector<ItemNotice>{RateNotice(tag, 1000)});
  EXPECT_EQ(made[2]->RemoveItems({items[2]}).hr, S_OK);
  EXPECT_TRUE(log.Take().empty());
  // The last item: the rate first, then the removal, with the lock released.
  EXPECT_EQ(made[0]->RemoveItems({items[0]}).hr, S_OK);
  EXPECT_EQ(log.Take(), (std::vector<ItemNotice>{RateNotice(tag, 0), RemovedNotice(tag, "Plant.Flow")}));
  EXPECT_EQ(TagRefCount(tag), 0);
}

TEST_F(ItemManagement, StaleAndForeignHandlesAreInvalid) {
  NewTag("Plant.Flow");
  OpcTestGroup group(connected.opc, "G");
  OpcTestGroup other(connected.opc, "H");
  const OPCHANDLE mine = group.AddItems({{"Plant.Flow"}}).results[0].hServer;
  const OPCHANDLE foreign = other.AddItems({{"Plant.Flow"}}).results[0].hServer;

  const ItemCall first = group.RemoveItems({foreign, mine, mine});
  EXPECT_EQ(first.hr, S_FALSE);
  EXPECT_EQ(first.errors, (std::vector<HRESULT>{OPC_E_INVALIDHANDLE, S_OK, OPC_E_INVALIDHANDLE}));
  const ItemCall again = group.RemoveItems({mine});
  EXPECT_EQ(again.hr, S_FALSE);
  EXPECT_EQ(again.errors, std::vector<HRESULT>{OPC_E_INVALIDHANDLE});
  // A handle is not given again while its item lives, nor to the next item.
  const OPCHANDLE next = group.AddItems({{"Plant.Flow"}}).results[0].hServer;
  EXPECT_NE(next, mine);
  EXPECT_NE(next, foreign);
}

TEST_F(ItemManagement, PerHandleChangesApplyToTheNamedItemsOnly) {
  NewTag("Plant.Flow");
  OpcTestGroup group(connected.opc, "G");
  const ItemCall added = group.AddItems({{"Plant.Flow", "", 1}, {"Plant.Flow", "", 2}});
  const OPCHANDLE first = added.results[0].hServer;
  const OPCHANDLE second = added.results[1].hServer;
  IOPCItemMgt* items = group.Items();

  const struct {
    const char* call;
    std::function<HRESULT(OPCHANDLE*, HRESULT**)> change;
    std::function<void(const OPCITEMATTRIBUTES&)> expectChanged;
  } cases[] = {
      {"SetActiveState", [&](OPCHANDLE* handles, HRESULT** errors) { return items->SetActiveState(2, handles, FALSE, errors); },
       [](const OPCITEMATTRIBUTES& item) { EXPECT_FALSE(item.bActive); }},
      {"SetClientHandles",
       [&](OPCHANDLE* handles, HRESULT** errors) {
         OPCHANDLE clients[] = {90, 91};
         return items->SetClientHandles(2, handles, clients, errors);
       },
       [](const OPCITEMATTRIBUTES& item) { EXPECT_EQ(item.hClient, 90u); }},
      {"SetDatatypes",
       [&](OPCHANDLE* handles, HRESULT** errors) {
         // Any type is taken as given; one that does not convert fails later, on reads.
         VARTYPE types[] = {VT_BSTR | VT_ARRAY, VT_R8};
         return items->SetDatatypes(2, handles, types, errors);
       },
       [](const OPCITEMATTRIBUTES& item) { EXPECT_EQ(item.vtRequestedDataType, VT_BSTR | VT_ARRAY); }},
  };
  for (const auto& c : cases) {
    OPCHANDLE handles[] = {second, 0xDEAD};
    HRESULT* errors = nullptr;
    EXPECT_EQ(c.change(handles, &errors), S_FALSE) << c.call;
    EXPECT_EQ(TakeErrors(errors, 2), (std::vector<HRESULT>{S_OK, OPC_E_INVALIDHANDLE})) << c.call;
    const std::vector<OPCITEMATTRIBUTES> listed = group.ListItems();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].hServer, first);
    EXPECT_TRUE(listed[0].bActive) << c.call;
    EXPECT_EQ(listed[0].hClient, 1u) << c.call;
    EXPECT_EQ(listed[0].vtRequestedDataType, VT_EMPTY) << c.call;
    c.expectChanged(listed[1]);
  }
}

TEST_F(ItemManagement, TheHostMayCreateAnUnknownItemWhileItIsAdded) {
  static DWORD created = 0;
  EnableUnknownItemNotification([](char* accessPath, char* itemId) {
    created = NewTag(VorlixApp().MakeFullName(accessPath, itemId), MakeI4(3));
  });
  OpcTestGroup group(connected.opc, "G");
  const ItemCall call = group.AddItems({{"Made", "OnDemand"}});
  EXPECT_EQ(call.errors, std::vector<HRESULT>{S_OK});
  EXPECT_EQ(call.results[0].vtCanonicalDataType, VT_I4);
  EXPECT_EQ(TagRefCount(created), 1);
  EnableUnknownItemNotification(nullptr);
}

TEST_F(ItemManagement, AnItemWritesUnderTheNameOfTheClientThatAddedIt) {
  DefineAccount("alice");
  ASSERT_TRUE(EnableNTSecurity(TRUE, RPC_C_IMP_LEVEL_IMPERSONATE));
  ASSERT_EQ(DefineNTUser(std::string("alice").data(), std::string("alice").data(), 0x00010000), 0u);
  char name[] = "Plant.Flow";
  CreateSecureTag(name, MakeR4(0), OPC_QUALITY_GOOD, 0x00010000, 0x00010000);
  connected.client.SetIdentity(ClientCallContext{"alice", {}, RPC_C_IMP_LEVEL_IMPERSONATE, true});
  OpcTestGroup group(connected.opc, "G");
  const ItemCall call = connected.client.AsClient([&] { return group.AddItems({{"Plant.Flow"}}); });
  ASSERT_EQ(call.errors, std::vector<HRESULT>{S_OK});

  ServerLock::Hold hold(VorlixApp().GetServerLock());
  OPCGroup* added = static_cast<OPCGroup*>(group.Unknown());
  EXPECT_EQ(added->FindItem(call.results[0].hServer)->UserName(), "alice");
  ForgetDefinedAccounts();
}
