// Groups and items across the process boundary: every IOPCItemMgt call with
// its per-item results, the item enumerator, the group's state with its name
// (an [out, string] parameter), group lookup, cloning and the enumerators of
// groups, each block the server hands back freed by the client.
#include "WholeRoad.h"

#include <algorithm>

namespace WholeRoad {
namespace {

using GroupRoad = ClientTest;

struct Added {
  ComPtr<IOPCItemMgt> items;
  OPCHANDLE serverGroup = 0;
  std::vector<OPCHANDLE> handles;
};

Added AddGroupWithItems(IOPCServer* server, const wchar_t* name, const std::vector<const wchar_t*>& itemIds) {
  Added added;
  DWORD revised = 0;
  EXPECT_EQ(server->AddGroup(name, TRUE, 500, 77, nullptr, nullptr, LOCALE_SYSTEM_DEFAULT, &added.serverGroup,
                             &revised, IID_IOPCItemMgt, reinterpret_cast<IUnknown**>(added.items.GetAddressOf())),
            S_OK);
  if (!added.items) return added;
  std::vector<OPCITEMDEF> definitions(itemIds.size());
  for (size_t i = 0; i < itemIds.size(); ++i) {
    definitions[i].szAccessPath = const_cast<LPWSTR>(L"");
    definitions[i].szItemID = const_cast<LPWSTR>(itemIds[i]);
    definitions[i].bActive = TRUE;
    definitions[i].hClient = static_cast<OPCHANDLE>(100 + i);
  }
  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  added.items->AddItems(static_cast<DWORD>(definitions.size()), definitions.data(), &results, &errors);
  for (size_t i = 0; results && i < itemIds.size(); ++i) {
    added.handles.push_back(SUCCEEDED(errors[i]) ? results[i].hServer : 0);
    CoTaskMemFree(results[i].pBlob);
  }
  CoTaskMemFree(results);
  CoTaskMemFree(errors);
  return added;
}

// Frees a per-item error array and hands back its entries.
std::vector<HRESULT> Take(HRESULT* errors, size_t count) {
  std::vector<HRESULT> taken(errors, errors + (errors ? count : 0));
  CoTaskMemFree(errors);
  return taken;
}

TEST_F(GroupRoad, EveryItemCallAnswersPerItem) {
  Added group = AddGroupWithItems(session_.Server(), L"items", {kTemp, kLevel});
  ASSERT_TRUE(group.items);
  ASSERT_EQ(group.handles.size(), 2u);
  const OPCHANDLE bogus = 0x7FFFFFF0;
  OPCHANDLE handles[] = {group.handles[0], bogus};
  HRESULT* errors = nullptr;

  // Validation: a known item with its canonical type, an unknown one refused.
  OPCITEMDEF definitions[2] = {};
  definitions[0].szAccessPath = definitions[1].szAccessPath = const_cast<LPWSTR>(L"");
  definitions[0].szItemID = const_cast<LPWSTR>(kOutletTemp);
  definitions[1].szItemID = const_cast<LPWSTR>(L"P1.Nothing");
  OPCITEMRESULT* results = nullptr;
  EXPECT_EQ(group.items->ValidateItems(2, definitions, FALSE, &results, &errors), S_FALSE);
  ASSERT_NE(results, nullptr);
  EXPECT_EQ(results[0].vtCanonicalDataType, VT_R4);
  EXPECT_EQ(Take(errors, 2), (std::vector<HRESULT>{S_OK, OPC_E_UNKNOWNITEMID}));
  CoTaskMemFree(results[0].pBlob);
  CoTaskMemFree(results[1].pBlob);
  CoTaskMemFree(results);

  EXPECT_EQ(group.items->SetActiveState(2, handles, FALSE, &errors), S_FALSE);
  EXPECT_EQ(Take(errors, 2), (std::vector<HRESULT>{S_OK, OPC_E_INVALIDHANDLE}));
  OPCHANDLE clients[] = {555, 556};
  EXPECT_EQ(group.items->SetClientHandles(2, handles, clients, &errors), S_FALSE);
  EXPECT_EQ(Take(errors, 2), (std::vector<HRESULT>{S_OK, OPC_E_INVALIDHANDLE}));
  VARTYPE types[] = {VT_BSTR, VT_I4};
  EXPECT_EQ(group.items->SetDatatypes(2, handles, types, &errors), S_FALSE);
  EXPECT_EQ(Take(errors, 2), (std::vector<HRESULT>{S_OK, OPC_E_INVALIDHANDLE}));

  // The enumerator shows what the calls changed.
  ComPtr<IEnumOPCItemAttributes> attributes;
  ASSERT_EQ(group.items->CreateEnumerator(IID_IEnumOPCItemAttributes,
                                          reinterpret_cast<IUnknown**>(attributes.GetAddressOf())),
            S_OK);
  OPCITEMATTRIBUTES* list = nullptr;
  ULONG fetched = 0;
  ASSERT_EQ(attributes->Next(5, &list, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_STREQ(list[0].szItemID, kTemp);
  EXPECT_EQ(list[0].hClient, 555u);
  EXPECT_FALSE(list[0].bActive);
  EXPECT_EQ(list[0].vtRequestedDataType, VT_BSTR);
  EXPECT_EQ(list[0].vtCanonicalDataType, VT_R4);
  EXPECT_STREQ(list[1].szItemID, kLevel);
  EXPECT_TRUE(list[1].bActive);
  for (ULONG i = 0; i < fetched; ++i) {
    CoTaskMemFree(list[i].szItemID);
    CoTaskMemFree(list[i].szAccessPath);
    CoTaskMemFree(list[i].pBlob);
    VariantClear(&list[i].vEUInfo);
  }
  CoTaskMemFree(list);

  EXPECT_EQ(group.items->RemoveItems(2, handles, &errors), S_FALSE);
  EXPECT_EQ(Take(errors, 2), (std::vector<HRESULT>{S_OK, OPC_E_INVALIDHANDLE}));
  // Still held by this client, the group is unlisted at once and goes at its last Release.
  EXPECT_EQ(session_.Server()->RemoveGroup(group.serverGroup, FALSE), OPC_S_INUSE);
  EXPECT_EQ(session_.Server()->RemoveGroup(group.serverGroup, FALSE), E_FAIL);
}

TEST_F(GroupRoad, GroupStateNameLookupCloneAndEnumerators) {
  Added group = AddGroupWithItems(session_.Server(), L"泵站组", {kFlow});
  ComPtr<IOPCGroupStateMgt> state;
  ASSERT_EQ(group.items->QueryInterface(IID_IOPCGroupStateMgt, reinterpret_cast<void**>(state.GetAddressOf())), S_OK);
  DWORD rate = 0;
  BOOL active = FALSE;
  LPWSTR name = nullptr;
  LONG bias = 0;
  FLOAT deadband = 0;
  DWORD locale = 0;
  OPCHANDLE clientGroup = 0;
  OPCHANDLE serverGroup = 0;
  ASSERT_EQ(state->GetState(&rate, &active, &name, &bias, &deadband, &locale, &clientGroup, &serverGroup), S_OK);
  ASSERT_NE(name, nullptr) << "the group's name did not come back";
  EXPECT_STREQ(name, L"泵站组");
  CoTaskMemFree(name);
  EXPECT_EQ(rate, 500u);
  EXPECT_TRUE(active);
  EXPECT_EQ(clientGroup, 77u);
  EXPECT_EQ(serverGroup, group.serverGroup);

  DWORD newRate = 250;
  DWORD revised = 0;
  ASSERT_EQ(state->SetState(&newRate, &revised, nullptr, nullptr, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(revised, 250u);

  ComPtr<IUnknown> byName;
  ASSERT_EQ(session_.Server()->GetGroupByName(L"泵站组", IID_IUnknown, byName.GetAddressOf()), S_OK);
  ComPtr<IUnknown> clone;
  ASSERT_EQ(state->CloneGroup(L"copy", IID_IOPCItemMgt, clone.GetAddressOf()), S_OK);

  // Both groups by name, then as objects.
  ComPtr<IUnknown> names;
  ASSERT_EQ(session_.Server()->CreateGroupEnumerator(OPC_ENUM_PRIVATE_CONNECTIONS, IID_IEnumString,
                                                     names.GetAddressOf()),
            S_OK);
  ComPtr<IEnumString> strings;
  ASSERT_EQ(names->QueryInterface(IID_IEnumString, reinterpret_cast<void**>(strings.GetAddressOf())), S_OK);
  LPOLESTR got[4] = {};
  ULONG fetched = 0;
  EXPECT_EQ(strings->Next(4, got, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  std::vector<std::wstring> groupNames = {got[0], got[1]};
  CoTaskMemFree(got[0]);
  CoTaskMemFree(got[1]);
  std::sort(groupNames.begin(), groupNames.end());
  EXPECT_EQ(groupNames, (std::vector<std::wstring>{L"copy", L"泵站组"}));

  ComPtr<IUnknown> objects;
  ASSERT_EQ(session_.Server()->CreateGroupEnumerator(OPC_ENUM_PRIVATE_CONNECTIONS, IID_IEnumUnknown,
                                                     objects.GetAddressOf()),
            S_OK);
  ComPtr<IEnumUnknown> unknowns;
  ASSERT_EQ(objects->QueryInterface(IID_IEnumUnknown, reinterpret_cast<void**>(unknowns.GetAddressOf())), S_OK);
  IUnknown* groups[4] = {};
  EXPECT_EQ(unknowns->Next(4, groups, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 2u);
  for (ULONG i = 0; i < fetched; ++i) groups[i]->Release();
}

TEST_F(GroupRoad, PublicGroupsAreRefusedAcrossTheBoundaryAsInProcess) {
  ComPtr<IUnknown> publicGroups;
  EXPECT_EQ(session_.Server()->QueryInterface(IID_IOPCServerPublicGroups,
                                              reinterpret_cast<void**>(publicGroups.GetAddressOf())),
            E_NOINTERFACE);
  EXPECT_FALSE(publicGroups);
  Added group = AddGroupWithItems(session_.Server(), L"private", {kFlow});
  ComPtr<IUnknown> publicState;
  EXPECT_EQ(group.items->QueryInterface(IID_IOPCPublicGroupStateMgt,
                                        reinterpret_cast<void**>(publicState.GetAddressOf())),
            E_NOINTERFACE);
}

}  // namespace
}  // namespace WholeRoad
