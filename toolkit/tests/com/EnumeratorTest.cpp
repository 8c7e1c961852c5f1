// The enumerators a client gets: over the server's groups, over their names,
// and over a group's items. All walk a snapshot taken when they were made.
#include "app/CVorlixApp.h"
#include "support/ConnectedClient.h"
#include "support/HostCalls.h"
#include "support/OpcTestGroup.h"
#include "support/TraceCapture.h"

#include "platform/IEnumOPCItemAttributes.h"
#include "platform/IEnumString.h"
#include "platform/IEnumUnknown.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "platform/widetext.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

IEnumString* NameEnumerator(IOPCServer* opc, OPCENUMSCOPE scope = OPC_ENUM_ALL) {
  IUnknown* unknown = nullptr;
  EXPECT_EQ(opc->CreateGroupEnumerator(scope, IID_IEnumString, &unknown), S_OK);
  return static_cast<IEnumString*>(unknown);
}

struct ThreeGroups : public ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(connected.Ready());
    for (const char* name : {"A", "B", "C"}) groups.push_back(std::make_unique<OpcTestGroup>(connected.opc, name));
  }
  ConnectedClient connected{100};
  std::vector<std::unique_ptr<OpcTestGroup>> groups;
};

using Enumerators = ThreeGroups;

}  // namespace

TEST_F(Enumerators, NameEnumeratorsListTheGroupsAsTheyWereWhenMade) {
  IEnumString* names = NameEnumerator(connected.opc);
  OpcTestGroup later(connected.opc, "D");
  LPOLESTR first = nullptr;
  ASSERT_EQ(names->Next(1, &first, nullptr), S_OK);
  EXPECT_EQ(NarrowAnsi(first).value(), "A");
  CoTaskMemFree(first);
  IEnumString* clone = nullptr;
  ASSERT_EQ(names->Clone(&clone), S_OK);
  EXPECT_EQ(ReadAll(clone), (std::vector<std::string>{"B", "C"}));
  EXPECT_EQ(ReadAll(names), (std::vector<std::string>{"B", "C"}));
  EXPECT_EQ(clone->Release(), 0u);
  EXPECT_EQ(names->Release(), 0u);
}

TEST_F(Enumerators, NameEnumeratorsAreEmptyForThePublicScopes) {
  for (OPCENUMSCOPE scope : {OPC_ENUM_PUBLIC_CONNECTIONS, OPC_ENUM_PUBLIC}) {
    IEnumString* names = NameEnumerator(connected.opc, scope);
    LPOLESTR text = nullptr;
    EXPECT_EQ(names->Next(1, &text, nullptr), S_FALSE);
    names->Release();
  }
  for (OPCENUMSCOPE scope : {OPC_ENUM_PRIVATE_CONNECTIONS, OPC_ENUM_ALL_CONNECTIONS, OPC_ENUM_PRIVATE}) {
    IEnumString* names = NameEnumerator(connected.opc, scope);
    EXPECT_EQ(ReadAll(names), (std::vector<std::string>{"A", "B", "C"}));
    names->Release();
  }
  IUnknown* other = nullptr;
  EXPECT_EQ(connected.opc->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IOPCServer, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(connected.opc->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IEnumUnknown, nullptr), E_INVALIDARG);
}

TEST_F(Enumerators, AGroupEnumeratorHoldsTheServerAndEveryGroupOfItsSnapshot) {
  const LONG serverCount = ReferenceCount(connected.opc);
  const LONG groupCount = ReferenceCount(groups[0]->Unknown());
  IUnknown* unknown = nullptr;
  ASSERT_EQ(connected.opc->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IEnumUnknown, &unknown), S_OK);
  auto* enumerator = static_cast<IEnumUnknown*>(unknown);
  EXPECT_EQ(ReferenceCount(connected.opc), serverCount + 1);
  EXPECT_EQ(ReferenceCount(groups[0]->Unknown()), groupCount + 1);

  // A group removed since stays alive in the snapshot.
  groups[1]->Release();
  EXPECT_EQ(connected.opc->RemoveGroup(groups[1]->ServerHandle(), FALSE), OPC_S_INUSE);
  IUnknown* listed[3] = {};
  ULONG fetched = 0;
  ASSERT_EQ(enumerator->Next(3, listed, &fetched), S_OK);
  ASSERT_EQ(fetched, 3u);
  EXPECT_EQ(listed[0], groups[0]->Unknown());
  for (IUnknown* group : listed) {
    IOPCGroupStateMgt* state = nullptr;
    EXPECT_EQ(group->QueryInterface(IID_IOPCGroupStateMgt, reinterpret_cast<void**>(&state)), S_OK);
    state->Release();
    group->Release();
  }
  IEnumUnknown* clone = nullptr;
  ASSERT_EQ(enumerator->Clone(&clone), S_OK);
  EXPECT_EQ(ReferenceCount(connected.opc), serverCount + 2);
  EXPECT_EQ(clone->Release(), 0u);
  EXPECT_EQ(enumerator->Release(), 0u);
  EXPECT_EQ(ReferenceCount(connected.opc), serverCount);
  EXPECT_EQ(ReferenceCount(groups[0]->Unknown()), groupCount);
}

TEST_F(Enumerators, AnEmptyGroupEnumeratorAnswersNextWithoutLookingAtItsArguments) {
  IUnknown* unknown = nullptr;
  ASSERT_EQ(connected.opc->CreateGroupEnumerator(OPC_ENUM_PUBLIC, IID_IEnumUnknown, &unknown), S_OK);
  auto* enumerator = static_cast<IEnumUnknown*>(unknown);
  EXPECT_EQ(enumerator->Next(5, nullptr, nullptr), S_FALSE);
  TraceCapture capture;
  void* again = nullptr;
  EXPECT_EQ(enumerator->QueryInterface(IID_IEnumString, &again), E_NOINTERFACE);
  EXPECT_EQ(again, nullptr);
  ASSERT_EQ(enumerator->QueryInterface(IID_IEnumUnknown, &again), S_OK);
  EXPECT_EQ(again, enumerator);
  enumerator->Release();
  const auto lines = capture.Lines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0].text, "OPCGroupEnumerator::QueryInterface");
  EXPECT_EQ(lines[1].text, "OPCGroupEnumerator::QueryInterface IID_IEnumUnknown");
  EXPECT_EQ(lines[2].text, "OPCGroupEnumerator::AddRef(2)");
  EXPECT_EQ(lines.back().text.rfind("OPCServer::Release(", 0), 0u);
  EXPECT_EQ(enumerator->Release(), 0u);
}

TEST_F(Enumerators, TheItemEnumeratorListsCopiesOfTheItems) {
  NewTag("Plant.Flow", MakeI4(4));
  OpcTestGroup& group = *groups[0];
  const ItemCall added =
      group.AddItems({{"Flow", "Plant", 1, VT_R8}, {"Plant.Flow", "", 2, VT_EMPTY, FALSE}, {"Plant.Flow", "", 3}});
  ASSERT_EQ(added.hr, S_OK);
  IUnknown* unknown = nullptr;
  ASSERT_EQ(group.Items()->CreateEnumerator(IID_IEnumOPCItemAttributes, &unknown), S_OK);
  auto* items = static_cast<IEnumOPCItemAttributes*>(unknown);
  // Removing an item later leaves the snapshot as it was.
  ASSERT_EQ(group.RemoveItems({added.results[1].hServer}).hr, S_OK);

  OPCITEMATTRIBUTES* elements = nullptr;
  ULONG fetched = 0;
  ASSERT_EQ(items->Next(2, &elements, &fetched), S_OK);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(NarrowAnsi(elements[0].szAccessPath).value(), "Plant");
  EXPECT_EQ(NarrowAnsi(elements[0].szItemID).value(), "Flow");
  EXPECT_TRUE(elements[0].bActive);
  EXPECT_EQ(elements[0].hClient, 1u);
  EXPECT_EQ(elements[0].hServer, added.results[0].hServer);
  EXPECT_EQ(elements[0].dwAccessRights, OPC_READABLE | OPC_WRITEABLE);
  EXPECT_EQ(elements[0].vtRequestedDataType, VT_R8);
  EXPECT_EQ(elements[0].vtCanonicalDataType, VT_I4);
  EXPECT_EQ(elements[0].dwEUType, OPC_NOENUM);
  EXPECT_EQ(elements[0].vEUInfo.vt, VT_EMPTY);
  EXPECT_EQ(elements[0].dwBlobSize, 0u);
  EXPECT_EQ(elements[0].pBlob, nullptr);
  EXPECT_FALSE(elements[1].bActive);
  EXPECT_EQ(elements[1].hServer, added.results[1].hServer);
  for (ULONG i = 0; i < fetched; ++i) {
    CoTaskMemFree(elements[i].szAccessPath);
    CoTaskMemFree(elements[i].szItemID);
  }
  CoTaskMemFree(elements);

  // A clone made here goes on with the third and lives until its own Release.
  IEnumOPCItemAttributes* clone = nullptr;
  ASSERT_EQ(items->Clone(&clone), S_OK);
  EXPECT_EQ(items->Release(), 0u);
  const size_t blocks = TaskMemoryLiveBlocks();
  TaskMemoryFailNextAllocations(1);
  EXPECT_EQ(clone->Next(1, &elements, &fetched), E_OUTOFMEMORY);
  TaskMemoryFailNextAllocations(0);
  EXPECT_EQ(TaskMemoryLiveBlocks(), blocks);
  ASSERT_EQ(clone->Next(5, &elements, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(elements[0].hClient, 3u);
  CoTaskMemFree(elements[0].szAccessPath);
  CoTaskMemFree(elements[0].szItemID);
  CoTaskMemFree(elements);
  EXPECT_EQ(clone->Next(1, &elements, &fetched), S_FALSE);
  EXPECT_EQ(elements, nullptr);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(clone->Skip(1), S_FALSE);
  EXPECT_EQ(clone->Reset(), S_OK);
  EXPECT_EQ(clone->Skip(3), S_OK);
  EXPECT_EQ(clone->Release(), 0u);
  EXPECT_EQ(TaskMemoryLiveBlocks(), blocks);
}

TEST_F(Enumerators, ItemEnumeratorsAreForThatInterfaceOnly) {
  IUnknown* unknown = groups[0]->Unknown();
  EXPECT_EQ(groups[0]->Items()->CreateEnumerator(IID_IEnumString, &unknown), E_INVALIDARG);
  EXPECT_EQ(unknown, nullptr);
  EXPECT_EQ(groups[0]->Items()->CreateEnumerator(IID_IEnumOPCItemAttributes, nullptr), E_INVALIDARG);
  // A group without items gives an enumerator over nothing.
  ASSERT_EQ(groups[0]->Items()->CreateEnumerator(IID_IEnumOPCItemAttributes, &unknown), S_OK);
  auto* items = static_cast<IEnumOPCItemAttributes*>(unknown);
  OPCITEMATTRIBUTES* elements = reinterpret_cast<OPCITEMATTRIBUTES*>(unknown);
  ULONG fetched = 7;
  EXPECT_EQ(items->Next(3, &elements, &fetched), S_FALSE);
  EXPECT_EQ(elements, nullptr);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(items->Release(), 0u);
}
