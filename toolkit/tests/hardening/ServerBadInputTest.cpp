// Bad input to the server object and everything it offers: IOPCServer,
// IOPCCommon, item properties, browsing, NT security, the shutdown connection
// point and the group and string enumerators.
#include <gtest/gtest.h>

#include <tuple>

#include "hardening/BadInputTable.h"
#include "hardening/CommonRows.h"
#include "platform/IEnumString.h"
#include "platform/IEnumUnknown.h"
#include "platform/IOPCBrowseServerAddressSpace.h"
#include "platform/IOPCCommon.h"
#include "platform/IOPCItemProperties.h"
#include "platform/IOPCSecurityNT.h"
#include "platform/IOPCShutdown.h"
#include "platform/callcontext.h"
#include "platform/opcda.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "support/ConnectedClient.h"
#include "support/HostCalls.h"
#include "support/OpcTestGroup.h"
#include "support/ShutdownSink.h"
#include "support/TestDataCallback.h"

namespace {

// A name that a client may give and the server cannot hold, widened.
struct Names {
  WideString empty;
  WideString longName = LongWideName();
  WideString unrepresentable = UnrepresentableWideName();
  WideString wildcards = WideString(65536, OLECHAR('*'));
  WideString backtracking = [] {
    WideString pattern;
    for (int i = 0; i < 16384; ++i) pattern += OLESTR("*A?");
    return pattern + OLESTR("#");
  }();
};

class ServerBadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(connected.Ready());
    ASSERT_EQ(other.Connect(), S_OK);
    ASSERT_NE(other.OpcServer(), nullptr);
    NewTag("Area.Tag");
  }

  // AddGroup with every argument good but the ones a row changes.
  HRESULT AddGroup(LPCWSTR name, OPCHANDLE* handle, DWORD* revised, REFIID iid, IUnknown** group) {
    return connected.opc->AddGroup(name, FALSE, 100, 0, nullptr, nullptr, 0, handle, revised, iid, group);
  }

  ConnectedClient connected{100};
  OpcTestClient other;
  Names names;
  BadInputTable table;
};

TEST_F(ServerBadInput, IOPCServer) {
  IOPCServer* opc = connected.opc;
  OpcTestGroup group(opc, "G");
  OpcTestGroup removed(opc, "Removed");
  OpcTestGroup foreign(other.OpcServer(), "Foreign");
  ASSERT_EQ(group.Added(), S_OK);
  const ItemCall item = group.AddItems({{"Area.Tag"}});
  ASSERT_EQ(item.hr, S_OK);
  const OPCHANDLE removedHandle = removed.ServerHandle();
  removed.Release();
  ASSERT_EQ(opc->RemoveGroup(removedHandle, FALSE), S_OK);

  AddQueryInterfaceRows(table, "OPCServer", connected.client.Server());
  AddQueryInterfaceRows(table, "IOPCServer", opc);
  struct NullOut {
    const char* input;
    bool handle, revised, group;
  };
  for (const NullOut& nullOut :
       {NullOut{"null server-handle out", false, true, true}, NullOut{"null revised-rate out", true, false, true},
        NullOut{"null interface out", true, true, false}}) {
    table.Add("IOPCServer::AddGroup", nullOut.input, E_INVALIDARG, [=] {
      OPCHANDLE handle = 0;
      DWORD revised = 0;
      IUnknown* added = nullptr;
      return AddGroup(OLESTR("NullOut"), nullOut.handle ? &handle : nullptr, nullOut.revised ? &revised : nullptr,
                      IID_IUnknown, nullOut.group ? &added : nullptr);
    });
  }
  table.Add("IOPCServer::AddGroup", "unknown IID", E_NOINTERFACE, [=] {
    OPCHANDLE handle = 0;
    DWORD revised = 0;
    IUnknown* added = nullptr;
    const HRESULT hr = AddGroup(OLESTR("Unoffered"), &handle, &revised, kUnknownIid, &added);
    // Refused, the group is not listed either.
    IUnknown* found = nullptr;
    if (opc->GetGroupByName(OLESTR("Unoffered"), IID_IUnknown, &found) == S_OK) return kWrongOutputs;
    return added == nullptr && handle == 0 ? hr : kWrongOutputs;
  });
  table.Add("IOPCServer::AddGroup", "rate 0xFFFFFFFF", S_OK, [=] {
    OPCHANDLE handle = 0;
    DWORD revised = 0;
    IUnknown* added = nullptr;
    const HRESULT hr = connected.opc->AddGroup(OLESTR("Slow"), FALSE, 0xFFFFFFFF, 0, nullptr, nullptr, 0, &handle, &revised,
                                               IID_IUnknown, &added);
    if (added != nullptr) added->Release();
    opc->RemoveGroup(handle, TRUE);
    // The rate is revised to a whole number of base periods, never to none.
    return revised >= 100 && revised % 100 == 0 ? hr : kWrongOutputs;
  });
  for (const auto& [input, name, expected] :
       {std::tuple<const char*, WideString, HRESULT>{"a name of another client's group", OLESTR("Foreign"), S_OK},
        {"64k name", names.longName, S_OK},
        {"non-representable name", names.unrepresentable, E_INVALIDARG}}) {
    table.Add("IOPCServer::AddGroup", input, expected, [=, name = name] {
      OPCHANDLE handle = 0;
      DWORD revised = 0;
      IUnknown* added = nullptr;
      const HRESULT hr = AddGroup(name.c_str(), &handle, &revised, IID_IUnknown, &added);
      if (added != nullptr) added->Release();
      if (handle != 0) opc->RemoveGroup(handle, TRUE);
      return hr;
    });
  }
  table.Add("IOPCServer::GetErrorString", "null out-pointer", E_INVALIDARG,
            [=] { return opc->GetErrorString(OPC_E_INVALIDHANDLE, 0, nullptr); });
  for (HRESULT code : {HRESULT(0), HRESULT(0xFFFFFFFF), HRESULT(0x7FFFFFFF)}) {
    table.Add("IOPCServer::GetErrorString", "code " + std::to_string(code), S_OK, [=] {
      LPWSTR text = nullptr;
      const HRESULT hr = opc->GetErrorString(code, 0xFFFFFFFF, &text);
      CoTaskMemFree(text);
      return hr;
    });
  }
  table.Add("IOPCServer::GetGroupByName", "null name", E_INVALIDARG, [=] {
    IUnknown* found = nullptr;
    return opc->GetGroupByName(nullptr, IID_IUnknown, &found);
  });
  table.Add("IOPCServer::GetGroupByName", "null out-pointer", E_INVALIDARG,
            [=] { return opc->GetGroupByName(OLESTR("G"), IID_IUnknown, nullptr); });
  table.Add("IOPCServer::GetGroupByName", "unknown IID", E_NOINTERFACE, [=] {
    IUnknown* found = nullptr;
    const HRESULT hr = opc->GetGroupByName(OLESTR("G"), kUnknownIid, &found);
    return found == nullptr ? hr : kWrongOutputs;
  });
  for (const auto& [input, name] : {std::pair<const char*, WideString>{"empty name", names.empty},
                                    {"64k name", names.longName},
                                    {"non-representable name", names.unrepresentable},
                                    {"another client's group", OLESTR("Foreign")},
                                    {"a removed group", OLESTR("Removed")}}) {
    table.Add("IOPCServer::GetGroupByName", input, E_INVALIDARG, [=, name = name] {
      IUnknown* found = nullptr;
      const HRESULT hr = opc->GetGroupByName(name.c_str(), IID_IUnknown, &found);
      if (found != nullptr) found->Release();
      return hr;
    });
  }
  table.Add("IOPCServer::GetStatus", "null out-pointer", E_INVALIDARG, [=] { return opc->GetStatus(nullptr); });
  const OPCHANDLE itemHandle = item.results[0].hServer;
  const OPCHANDLE foreignHandle = foreign.ServerHandle();
  for (const auto& [input, handle] : {std::pair<const char*, OPCHANDLE>{"handle 0", 0},
                                      {"handle 0xFFFFFFFF", 0xFFFFFFFF},
                                      {"a removed group's handle", removedHandle},
                                      {"an item's handle", itemHandle},
                                      {"another client's group", foreignHandle}}) {
    for (BOOL force : {FALSE, TRUE}) {
      table.Add("IOPCServer::RemoveGroup", std::string(input) + (force ? ", forced" : ""), E_FAIL,
                [=, handle = handle] { return opc->RemoveGroup(handle, force); });
    }
  }
  table.Add("IOPCServer::CreateGroupEnumerator", "null out-pointer", E_INVALIDARG,
            [=] { return opc->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IEnumUnknown, nullptr); });
  table.Add("IOPCServer::CreateGroupEnumerator", "unknown IID", E_NOINTERFACE, [=] {
    IUnknown* enumerator = nullptr;
    const HRESULT hr = opc->CreateGroupEnumerator(OPC_ENUM_ALL, kUnknownIid, &enumerator);
    return enumerator == nullptr ? hr : kWrongOutputs;
  });
  for (DWORD scope : {0u, 7u, 0xFFFFFFFFu}) {
    table.Add("IOPCServer::CreateGroupEnumerator", "scope " + std::to_string(scope), S_FALSE, [=] {
      IEnumString* enumerator = nullptr;
      const HRESULT hr = opc->CreateGroupEnumerator(static_cast<OPCENUMSCOPE>(scope), IID_IEnumString,
                                                    reinterpret_cast<IUnknown**>(&enumerator));
      if (hr != S_OK) return hr;
      // Such a scope names no group: the enumerator is empty.
      LPOLESTR name = nullptr;
      const HRESULT next = enumerator->Next(1, &name, nullptr);
      CoTaskMemFree(name);
      enumerator->Release();
      return next;
    });
  }
  table.Run();
}

TEST_F(ServerBadInput, IOPCCommon) {
  IOPCCommon* common = nullptr;
  ASSERT_EQ(connected.client.Query(IID_IOPCCommon, &common), S_OK);
  AddQueryInterfaceRows(table, "IOPCCommon", common);
  for (LCID locale : {0u, 1033u, 0xFFFFFFFFu}) {
    table.Add("IOPCCommon::SetLocaleID", "locale " + std::to_string(locale), E_INVALIDARG,
              [=] { return common->SetLocaleID(locale); });
  }
  table.Add("IOPCCommon::GetLocaleID", "null out-pointer", E_INVALIDARG, [=] { return common->GetLocaleID(nullptr); });
  table.Add("IOPCCommon::QueryAvailableLocaleIDs", "null count out", E_INVALIDARG, [=] {
    LCID* locales = nullptr;
    return common->QueryAvailableLocaleIDs(nullptr, &locales);
  });
  table.Add("IOPCCommon::QueryAvailableLocaleIDs", "null array out", E_INVALIDARG, [=] {
    DWORD count = 0;
    return common->QueryAvailableLocaleIDs(&count, nullptr);
  });
  table.Add("IOPCCommon::GetErrorString", "null out-pointer", E_INVALIDARG,
            [=] { return common->GetErrorString(OPC_E_BADTYPE, nullptr); });
  table.Add("IOPCCommon::SetClientName", "null name", E_INVALIDARG, [=] { return common->SetClientName(nullptr); });
  table.Add("IOPCCommon::SetClientName", "64k name", S_OK,
            [=] { return common->SetClientName(names.longName.c_str()); });
  table.Add("IOPCCommon::SetClientName", "non-representable name", E_INVALIDARG,
            [=] { return common->SetClientName(names.unrepresentable.c_str()); });
  table.Run();
}

TEST_F(ServerBadInput, IOPCItemProperties) {
  IOPCItemProperties* properties = nullptr;
  ASSERT_EQ(connected.client.Query(IID_IOPCItemProperties, &properties), S_OK);
  WideString tag = OLESTR("Area.Tag");
  AddQueryInterfaceRows(table, "IOPCItemProperties", properties);

  for (const auto& [input, id] : {std::pair<const char*, WideString>{"empty item ID", names.empty},
                                  {"64k item ID", names.longName},
                                  {"non-representable item ID", names.unrepresentable}}) {
    table.Add("IOPCItemProperties::QueryAvailableProperties", input, OPC_E_UNKNOWNITEMID, [=, id = id]() mutable {
      DWORD count = 0;
      DWORD* ids = nullptr;
      LPWSTR* descriptions = nullptr;
      VARTYPE* types = nullptr;
      return properties->QueryAvailableProperties(id.data(), &count, &ids, &descriptions, &types);
    });
    table.Add("IOPCItemProperties::GetItemProperties", input, OPC_E_UNKNOWNITEMID, [=, id = id]() mutable {
      DWORD wanted[] = {1};
      VARIANT* values = nullptr;
      HRESULT* errors = nullptr;
      return properties->GetItemProperties(id.data(), 1, wanted, &values, &errors);
    });
    table.Add("IOPCItemProperties::LookupItemIDs", input, OPC_E_UNKNOWNITEMID, [=, id = id]() mutable {
      DWORD wanted[] = {1};
      LPWSTR* itemIds = nullptr;
      HRESULT* errors = nullptr;
      return properties->LookupItemIDs(id.data(), 1, wanted, &itemIds, &errors);
    });
  }
  table.Add("IOPCItemProperties::QueryAvailableProperties", "null item ID", OPC_E_UNKNOWNITEMID, [=] {
    DWORD count = 0;
    DWORD* ids = nullptr;
    LPWSTR* descriptions = nullptr;
    VARTYPE* types = nullptr;
    return properties->QueryAvailableProperties(nullptr, &count, &ids, &descriptions, &types);
  });
  for (int missing = 0; missing < 4; ++missing) {
    table.Add("IOPCItemProperties::QueryAvailableProperties", "null out-pointer " + std::to_string(missing),
              E_INVALIDARG, [=]() mutable {
                DWORD count = 0;
                DWORD* ids = nullptr;
                LPWSTR* descriptions = nullptr;
                VARTYPE* types = nullptr;
                WideString id = tag;
                return properties->QueryAvailableProperties(
                    id.data(), missing == 0 ? nullptr : &count, missing == 1 ? nullptr : &ids,
                    missing == 2 ? nullptr : &descriptions, missing == 3 ? nullptr : &types);
              });
  }
  table.Add("IOPCItemProperties::GetItemProperties", "null item ID", OPC_E_UNKNOWNITEMID, [=] {
    DWORD wanted[] = {1};
    VARIANT* values = nullptr;
    HRESULT* errors = nullptr;
    return properties->GetItemProperties(nullptr, 1, wanted, &values, &errors);
  });
  // GetItemProperties and LookupItemIDs take the same arguments: (item ID,
  // count, property IDs, an array out, errors out). Each frees what it got.
  using ByProperty = std::function<HRESULT(LPWSTR, DWORD, DWORD*, bool, bool)>;
  struct PropertyMethod {
    std::string name;
    ByProperty call;
    HRESULT countZero;
  };
  const PropertyMethod methods[] = {
      {"IOPCItemProperties::GetItemProperties",
       [=](LPWSTR id, DWORD count, DWORD* ids, bool valuesOut, bool errorsOut) {
         VARIANT* values = nullptr;
         HRESULT* errors = nullptr;
         const HRESULT hr = properties->GetItemProperties(id, count, ids, valuesOut ? &values : nullptr,
                                                          errorsOut ? &errors : nullptr);
         CoTaskMemFree(values);
         CoTaskMemFree(errors);
         return hr;
       },
       S_OK},
      {"IOPCItemProperties::LookupItemIDs",
       [=](LPWSTR id, DWORD count, DWORD* ids, bool itemIdsOut, bool errorsOut) {
         LPWSTR* itemIds = nullptr;
         HRESULT* errors = nullptr;
         const HRESULT hr =
             properties->LookupItemIDs(id, count, ids, itemIdsOut ? &itemIds : nullptr, errorsOut ? &errors : nullptr);
         CoTaskMemFree(itemIds);
         CoTaskMemFree(errors);
         return hr;
       },
       E_INVALIDARG},
  };
  for (const PropertyMethod& method : methods) {
    struct Arguments {
      std::string input;
      DWORD count;
      bool ids, arrayOut, errorsOut;
      HRESULT expected;
    };
    for (const Arguments& row :
         {Arguments{"count 0", 0, true, true, true, method.countZero},
          Arguments{"null ID array, count 0x7FFFFFFF", kHugeCount, false, true, true, E_INVALIDARG},
          Arguments{"null array out", 1, true, false, true, E_INVALIDARG},
          Arguments{"null errors out", 1, true, true, false, E_INVALIDARG}}) {
      table.Add(method.name, row.input, row.expected, [=]() mutable {
        DWORD wanted[] = {1};
        WideString id = tag;
        return method.call(id.data(), row.count, row.ids ? wanted : nullptr, row.arrayOut, row.errorsOut);
      });
    }
    table.Add(method.name, "count 0x7FFFFFFF, short array, no memory", E_OUTOFMEMORY, [=]() mutable {
      DWORD wanted[] = {1};
      WideString id = tag;
      TaskMemoryFailNextAllocations(2);
      const HRESULT hr = method.call(id.data(), kHugeCount, wanted, true, true);
      TaskMemoryFailNextAllocations(0);
      return hr;
    });
  }
  table.Add("IOPCItemProperties::GetItemProperties", "unknown property IDs", S_FALSE, [=]() mutable {
    DWORD wanted[] = {0, 7, 0xFFFFFFFF};
    VARIANT* values = nullptr;
    HRESULT* errors = nullptr;
    WideString id = tag;
    const HRESULT hr = properties->GetItemProperties(id.data(), 3, wanted, &values, &errors);
    bool allRefused = errors != nullptr;
    for (int i = 0; allRefused && i < 3; ++i) allRefused = errors[i] == OPC_E_INVALID_PID && values[i].vt == VT_EMPTY;
    CoTaskMemFree(values);
    CoTaskMemFree(errors);
    return allRefused ? hr : kWrongOutputs;
  });
  table.Run();
}

TEST_F(ServerBadInput, IOPCBrowseServerAddressSpace) {
  IOPCBrowseServerAddressSpace* browse = nullptr;
  ASSERT_EQ(connected.client.Query(IID_IOPCBrowseServerAddressSpace, &browse), S_OK);
  AddQueryInterfaceRows(table, "IOPCBrowseServerAddressSpace", browse);
  table.Add("IOPCBrowseServerAddressSpace::QueryOrganization", "null out-pointer", E_INVALIDARG,
            [=] { return browse->QueryOrganization(nullptr); });
  for (DWORD direction : {0u, 4u, 0xFFFFFFFFu}) {
    table.Add("IOPCBrowseServerAddressSpace::ChangeBrowsePosition", "direction " + std::to_string(direction), E_FAIL,
              [=] { return browse->ChangeBrowsePosition(static_cast<OPCBROWSEDIRECTION>(direction), OLESTR("Area")); });
  }
  for (DWORD direction : {OPC_BROWSE_DOWN, OPC_BROWSE_TO}) {
    const std::string way = direction == OPC_BROWSE_DOWN ? "down" : "to";
    // A NULL text reads as an empty one: the root, which one cannot move down to.
    table.Add("IOPCBrowseServerAddressSpace::ChangeBrowsePosition", way + ", null text",
              direction == OPC_BROWSE_DOWN ? E_FAIL : S_OK,
              [=] { return browse->ChangeBrowsePosition(static_cast<OPCBROWSEDIRECTION>(direction), nullptr); });
    for (const auto& [input, text] : {std::pair<const char*, WideString>{"64k text", names.longName},
                                      {"non-representable text", names.unrepresentable}}) {
      table.Add("IOPCBrowseServerAddressSpace::ChangeBrowsePosition", way + ", " + input, E_FAIL, [=, text = text] {
        return browse->ChangeBrowsePosition(static_cast<OPCBROWSEDIRECTION>(direction), text.c_str());
      });
    }
  }
  table.Add("IOPCBrowseServerAddressSpace::BrowseOPCItemIDs", "null out-pointer", E_INVALIDARG,
            [=] { return browse->BrowseOPCItemIDs(OPC_FLAT, OLESTR(""), VT_EMPTY, 0, nullptr); });
  struct Browse {
    const char* input;
    DWORD filterType;
    const WCHAR* filter;
    VARTYPE type;
    DWORD rights;
  };
  for (const Browse& row :
       {Browse{"filter type 0", 0, OLESTR(""), VT_EMPTY, 0}, Browse{"filter type 0xFFFFFFFF", 0xFFFFFFFF, OLESTR(""), VT_EMPTY, 0},
        Browse{"null filter text", OPC_FLAT, nullptr, VT_EMPTY, 0},
        Browse{"64k filter text", OPC_FLAT, names.longName.c_str(), VT_EMPTY, 0},
        Browse{"non-representable filter", OPC_FLAT, names.unrepresentable.c_str(), VT_EMPTY, 0},
        Browse{"invalid VARTYPE filter", OPC_FLAT, OLESTR(""), 0xFFFF, 0},
        Browse{"rights filter 0xFFFFFFFF", OPC_FLAT, OLESTR(""), VT_EMPTY, 0xFFFFFFFF},
        Browse{"64k wildcards", OPC_FLAT, names.wildcards.c_str(), VT_EMPTY, 0},
        Browse{"64k wildcards before a letter no name ends in", OPC_FLAT, names.backtracking.c_str(), VT_EMPTY, 0},
        Browse{"an unclosed character class", OPC_FLAT, OLESTR("[A"), VT_EMPTY, 0}}) {
    table.Add("IOPCBrowseServerAddressSpace::BrowseOPCItemIDs", row.input, S_OK, [=] {
      IEnumString* found = nullptr;
      const HRESULT hr = browse->BrowseOPCItemIDs(static_cast<OPCBROWSETYPE>(row.filterType), row.filter, row.type,
                                                  row.rights, &found);
      if (found != nullptr) ReadAll(found), found->Release();
      return hr;
    });
  }
  table.Add("IOPCBrowseServerAddressSpace::GetItemID", "null item data ID, read as empty", S_OK, [=] {
    LPWSTR id = nullptr;
    const HRESULT hr = browse->GetItemID(nullptr, &id);
    CoTaskMemFree(id);
    return hr;
  });
  table.Add("IOPCBrowseServerAddressSpace::GetItemID", "null out-pointer", E_INVALIDARG, [=] {
    WideString name = OLESTR("Tag");
    return browse->GetItemID(name.data(), nullptr);
  });
  for (const auto& [input, text] : {std::pair<const char*, WideString>{"64k item data ID", names.longName},
                                    {"non-representable item data ID", names.unrepresentable}}) {
    table.Add("IOPCBrowseServerAddressSpace::GetItemID", input, OPC_E_INVALIDITEMID, [=, text = text]() mutable {
      LPWSTR id = nullptr;
      const HRESULT hr = browse->GetItemID(text.data(), &id);
      CoTaskMemFree(id);
      return hr;
    });
  }
  table.Add("IOPCBrowseServerAddressSpace::BrowseAccessPaths", "null arguments", E_NOTIMPL,
            [=] { return browse->BrowseAccessPaths(nullptr, nullptr); });
  table.Run();
}

TEST_F(ServerBadInput, IOPCSecurityNT) {
  IOPCSecurityNT* security = nullptr;
  ASSERT_EQ(connected.client.Query(IID_IOPCSecurityNT, &security), S_OK);
  AddQueryInterfaceRows(table, "IOPCSecurityNT", security);
  table.Add("IOPCSecurityNT::IsAvailableNT", "null out-pointer", E_INVALIDARG,
            [=] { return security->IsAvailableNT(nullptr); });
  table.Add("IOPCSecurityNT::QueryMinImpersonationLevel", "null out-pointer", E_INVALIDARG,
            [=] { return security->QueryMinImpersonationLevel(nullptr); });
  table.Add("IOPCSecurityNT::ChangeUser", "no client identity", RPC_E_CALL_COMPLETE,
            [=] { return security->ChangeUser(); });
  table.Run();
}

TEST_F(ServerBadInput, ShutdownConnectionPoint) {
  IConnectionPointContainer* container = nullptr;
  ASSERT_EQ(connected.client.Query(IID_IConnectionPointContainer, &container), S_OK);
  ShutdownSink sink;
  TestDataCallback notAShutdownSink;
  AddConnectionPointRows(table, "OPCServerConnection", container, IID_IOPCShutdown, &sink, &notAShutdownSink);
  table.Run();
}

TEST_F(ServerBadInput, GroupAndStringEnumerators) {
  OpcTestGroup first(connected.opc, "A");
  OpcTestGroup second(connected.opc, "B");
  IEnumUnknown* groups = nullptr;
  IEnumString* groupNames = nullptr;
  ASSERT_EQ(connected.opc->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IEnumUnknown, reinterpret_cast<IUnknown**>(&groups)),
            S_OK);
  ASSERT_EQ(
      connected.opc->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IEnumString, reinterpret_cast<IUnknown**>(&groupNames)),
      S_OK);
  AddQueryInterfaceRows(table, "OPCGroupEnumerator", groups);
  AddQueryInterfaceRows(table, "IOPCEnumString", groupNames);
  table.Add("OPCGroupEnumerator::Next", "count 2, null fetched", E_POINTER, [=] {
    IUnknown* fetched[2] = {};
    return groups->Next(2, fetched, nullptr);
  });
  table.Add("IOPCEnumString::Next", "count 2, null fetched", E_POINTER, [=] {
    LPOLESTR fetched[2] = {};
    return groupNames->Next(2, fetched, nullptr);
  });
  table.Add("OPCGroupEnumerator::Next", "count 1, null array", E_POINTER, [=] {
    ULONG fetched = 0;
    return groups->Next(1, nullptr, &fetched);
  });
  table.Add("IOPCEnumString::Next", "count 1, null array", E_POINTER, [=] {
    ULONG fetched = 0;
    return groupNames->Next(1, nullptr, &fetched);
  });
  table.Add("OPCGroupEnumerator::Next", "count 0x7FFFFFFF, array of the two", S_FALSE, [=] {
    IUnknown* fetched[2] = {};
    ULONG count = 0;
    groups->Reset();
    const HRESULT hr = groups->Next(kHugeCount, fetched, &count);
    for (IUnknown* group : fetched) {
      if (group != nullptr) group->Release();
    }
    return count == 2 ? hr : kWrongOutputs;
  });
  table.Add("IOPCEnumString::Next", "count 0x7FFFFFFF, array of the two", S_FALSE, [=] {
    LPOLESTR fetched[2] = {};
    ULONG count = 0;
    groupNames->Reset();
    const HRESULT hr = groupNames->Next(kHugeCount, fetched, &count);
    for (LPOLESTR name : fetched) CoTaskMemFree(name);
    return count == 2 ? hr : kWrongOutputs;
  });
  for (ULONG count : std::initializer_list<ULONG>{0xFFFFFFFFu, kHugeCount}) {
    table.Add("OPCGroupEnumerator::Skip", "count " + std::to_string(count), S_FALSE, [=] {
      groups->Reset();
      groups->Skip(1);
      return groups->Skip(count);
    });
    table.Add("IOPCEnumString::Skip", "count " + std::to_string(count), S_FALSE, [=] {
      groupNames->Reset();
      groupNames->Skip(1);
      return groupNames->Skip(count);
    });
  }
  table.Add("OPCGroupEnumerator::Clone", "null out-pointer", E_INVALIDARG, [=] { return groups->Clone(nullptr); });
  table.Add("IOPCEnumString::Clone", "null out-pointer", E_INVALIDARG, [=] { return groupNames->Clone(nullptr); });
  table.Add("OPCGroupEnumerator::Next", "after its group was removed by force", S_OK, [&] {
    groups->Reset();
    connected.opc->RemoveGroup(second.ServerHandle(), TRUE);
    IUnknown* fetched[2] = {};
    ULONG count = 0;
    const HRESULT hr = groups->Next(2, fetched, &count);
    for (IUnknown* group : fetched) {
      if (group != nullptr) group->Release();
    }
    return hr;
  });
  table.Add("enumerators", "released", 0, [=] {
    groups->Release();
    groupNames->Release();
    return 0;
  });
  table.Run();
}

}  // namespace
