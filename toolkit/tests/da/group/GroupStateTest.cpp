// A group's state as a client reads, changes and clones it through IOPCGroupStateMgt.
#include "app/CVorlixApp.h"
#include "support/ConnectedClient.h"
#include "support/HostCalls.h"
#include "support/OpcTestGroup.h"
#include "tags/OPCTag.h"

#include "platform/IEnumOPCItemAttributes.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "platform/widetext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct GroupState {
  DWORD rate = 0;
  BOOL active = FALSE;
  std::string name;
  LONG timeBias = 0;
  FLOAT deadband = 0;
  DWORD localeId = 0;
  OPCHANDLE clientHandle = 0;
  OPCHANDLE serverHandle = 0;
};

GroupState StateOf(IOPCGroupStateMgt* state) {
  GroupState read;
  LPWSTR name = nullptr;
  EXPECT_EQ(state->GetState(&read.rate, &read.active, &name, &read.timeBias, &read.deadband, &read.localeId,
                            &read.clientHandle, &read.serverHandle),
            S_OK);
  read.name = NarrowAnsi(name).value();
  CoTaskMemFree(name);
  return read;
}

// Client and server handles of a group's items, in order.
std::vector<std::pair<OPCHANDLE, OPCHANDLE>> ItemHandles(IUnknown* group) {
  IOPCItemMgt* items = nullptr;
  EXPECT_EQ(group->QueryInterface(IID_IOPCItemMgt, reinterpret_cast<void**>(&items)), S_OK);
  IUnknown* unknown = nullptr;
  EXPECT_EQ(items->CreateEnumerator(IID_IEnumOPCItemAttributes, &unknown), S_OK);
  auto* enumerator = static_cast<IEnumOPCItemAttributes*>(unknown);
  OPCITEMATTRIBUTES* elements = nullptr;
  ULONG fetched = 0;
  enumerator->Next(100, &elements, &fetched);
  std::vector<std::pair<OPCHANDLE, OPCHANDLE>> handles;
  for (ULONG i = 0; i < fetched; ++i) {
    handles.emplace_back(elements[i].hClient, elements[i].hServer);
    CoTaskMemFree(elements[i].szAccessPath);
    CoTaskMemFree(elements[i].szItemID);
  }
  CoTaskMemFree(elements);
  enumerator->Release();
  items->Release();
  return handles;
}

int TagRefCount(DWORD handle) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  return VorlixApp().TagFromHandle(handle)->live->refCount;
}

struct GroupStateFixture : public ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(connected.Ready());
    ASSERT_EQ(group.Added(), S_OK);
  }
  ConnectedClient connected{100};
  OpcTestGroup group{connected.opc, "Main"};
};

using GroupStateMgt = GroupStateFixture;

}  // namespace

TEST_F(GroupStateMgt, SetStateRevisesTheRateAndSetsWhatIsGiven) {
  const struct {
    DWORD requested;
    DWORD revised;
    HRESULT hr;
  } cases[] = {{149, 100, S_OK}, {150, 200, S_OK}, {1000, 1000, S_OK}, {99, 100, OPC_S_UNSUPPORTEDRATE},
               {0, 100, OPC_S_UNSUPPORTEDRATE}};
  LONG bias = 0;
  for (const auto& c : cases) {
    DWORD requested = c.requested;
    DWORD revised = 0;
    BOOL active = FALSE;
    FLOAT deadband = 12.5f;
    DWORD localeId = 1031;
    OPCHANDLE clientHandle = c.requested + 1;
    ++bias;
    EXPECT_EQ(group.State()->SetState(&requested, &revised, &active, &bias, &deadband, &localeId, &clientHandle),
              c.hr);
    EXPECT_EQ(revised, c.revised);
    // The other values are set even when the rate is not supported.
    const GroupState state = StateOf(group.State());
    EXPECT_EQ(state.rate, c.revised);
    EXPECT_FALSE(state.active);
    EXPECT_EQ(state.timeBias, bias);
    EXPECT_EQ(state.deadband, 12.5f);
    EXPECT_EQ(state.localeId, 1031u);
    EXPECT_EQ(state.clientHandle, c.requested + 1);
  }

  // Only the revised-rate output: the current rate, nothing changed.
  DWORD revised = 0;
  EXPECT_EQ(group.State()->SetState(nullptr, &revised, nullptr, nullptr, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(revised, 100u);
  EXPECT_EQ(StateOf(group.State()).clientHandle, 1u);
  EXPECT_EQ(group.State()->SetState(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), S_OK);
}

TEST_F(GroupStateMgt, GetStateNeedsEveryOutput) {
  DWORD rate = 0;
  BOOL active = FALSE;
  LPWSTR name = reinterpret_cast<LPWSTR>(&rate);
  LONG bias = 0;
  FLOAT deadband = 0;
  DWORD localeId = 0;
  OPCHANDLE handle = 0;
  EXPECT_EQ(group.State()->GetState(&rate, &active, &name, &bias, &deadband, &localeId, &handle, nullptr),
            E_INVALIDARG);
  EXPECT_EQ(name, nullptr);
  EXPECT_EQ(group.State()->GetState(nullptr, &active, &name, &bias, &deadband, &localeId, &handle, &handle),
            E_INVALIDARG);
  TaskMemoryFailNextAllocations(1);
  EXPECT_EQ(group.State()->GetState(&rate, &active, &name, &bias, &deadband, &localeId, &handle, &handle),
            E_OUTOFMEMORY);
  EXPECT_EQ(name, nullptr);
}

TEST_F(GroupStateMgt, SetNameRefusesTakenAndEmptyNames) {
  OpcTestGroup other(connected.opc, "Other");
  EXPECT_EQ(group.State()->SetName(OLESTR("Main")), OPC_E_DUPLICATENAME);
  EXPECT_EQ(group.State()->SetName(OLESTR("Other")), OPC_E_DUPLICATENAME);
  EXPECT_EQ(group.State()->SetName(OLESTR("")), E_INVALIDARG);
  EXPECT_EQ(group.State()->SetName(nullptr), E_INVALIDARG);
  EXPECT_EQ(group.State()->SetName(OLESTR("Renamed")), S_OK);
  EXPECT_EQ(group.Name(), "Renamed");
  IUnknown* found = nullptr;
  EXPECT_EQ(connected.opc->GetGroupByName(OLESTR("Main"), IID_IUnknown, &found), E_INVALIDARG);
  ASSERT_EQ(connected.opc->GetGroupByName(OLESTR("Renamed"), IID_IUnknown, &found), S_OK);
  EXPECT_EQ(found, group.Unknown());
  found->Release();
}

TEST_F(GroupStateMgt, ACloneIsAnInactiveCopyWithItemsOfItsOwn) {
  const DWORD tag = NewTag("Plant.Flow");
  FLOAT deadband = 5.0f;
  DWORD rate = 500;
  DWORD revised = 0;
  ASSERT_EQ(group.State()->SetState(&rate, &revised, nullptr, nullptr, &deadband, nullptr, nullptr), S_OK);
  ASSERT_EQ(group.AddItems({{"Plant.Flow", "", 1}, {"Plant.Flow", "", 2}, {"Plant.Flow", "", 3}}).hr, S_OK);

  IUnknown* cloneUnknown = nullptr;
  ASSERT_EQ(group.State()->CloneGroup(OLESTR("Copy"), IID_IOPCGroupStateMgt, &cloneUnknown), S_OK);
  auto* clone = static_cast<IOPCGroupStateMgt*>(cloneUnknown);
  const GroupState original = StateOf(group.State());
  const GroupState copy = StateOf(clone);
  EXPECT_EQ(copy.name, "Copy");
  EXPECT_TRUE(original.active);
  EXPECT_FALSE(copy.active);
  EXPECT_EQ(copy.rate, 500u);
  EXPECT_EQ(copy.deadband, 5.0f);
  EXPECT_NE(copy.serverHandle, original.serverHandle);

  const auto originalItems = ItemHandles(group.Unknown());
  const auto copiedItems = ItemHandles(clone);
  ASSERT_EQ(copiedItems.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(copiedItems[i].first, originalItems[i].first);
    EXPECT_NE(copiedItems[i].second, originalItems[i].second);
  }
  EXPECT_EQ(TagRefCount(tag), 6);
  IUnknown* found = nullptr;
  ASSERT_EQ(connected.opc->GetGroupByName(OLESTR("Copy"), IID_IUnknown, &found), S_OK);
  found->Release();
  clone->Release();
}

TEST_F(GroupStateMgt, CloneGroupRefusals) {
  IUnknown* clone = group.Unknown();
  EXPECT_EQ(group.State()->CloneGroup(OLESTR("Main"), IID_IUnknown, &clone), OPC_E_DUPLICATENAME);
  EXPECT_EQ(clone, nullptr);
  EXPECT_EQ(group.State()->CloneGroup(OLESTR(""), IID_IUnknown, &clone), E_INVALIDARG);
  EXPECT_EQ(group.State()->CloneGroup(nullptr, IID_IUnknown, &clone), E_INVALIDARG);
  EXPECT_EQ(group.State()->CloneGroup(OLESTR("Copy"), IID_IUnknown, nullptr), E_INVALIDARG);
  // A clone that does not offer the interface is gone again.
  EXPECT_EQ(group.State()->CloneGroup(OLESTR("Copy"), IID_IOPCPublicGroupStateMgt, &clone), E_NOINTERFACE);
  EXPECT_EQ(clone, nullptr);
  EXPECT_EQ(connected.opc->GetGroupByName(OLESTR("Copy"), IID_IUnknown, &clone), E_INVALIDARG);
  // A group its server has let go of has no server to clone into.
  EXPECT_EQ(connected.opc->RemoveGroup(group.ServerHandle(), FALSE), OPC_S_INUSE);
  EXPECT_EQ(group.State()->CloneGroup(OLESTR("Copy"), IID_IUnknown, &clone), E_FAIL);
  EXPECT_EQ(group.State()->SetName(OLESTR("Alone")), E_FAIL);
}
