// Bad input to a group and everything it offers: item management and its
// enumerator, state management, synchronous and asynchronous I/O, the data
// object and the data-callback connection point.
#include <gtest/gtest.h>

#include <utility>

#include "hardening/BadInputTable.h"
#include "hardening/CommonRows.h"
#include "platform/IDataObject.h"
#include "platform/IEnumOPCItemAttributes.h"
#include "platform/IOPCAsyncIO.h"
#include "platform/IOPCAsyncIO2.h"
#include "platform/IOPCSyncIO.h"
#include "platform/clipboard.h"
#include "platform/opcda.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "support/ConnectedClient.h"
#include "support/HostCalls.h"
#include "support/OpcTestGroup.h"
#include "support/RecordingAdviseSink.h"
#include "support/ShutdownSink.h"
#include "support/TestDataCallback.h"

namespace {

// What a per-item call gave for its one item: its result when the item's
// error is `itemError`, else kWrongOutputs. Frees the error block.
HRESULT OneItem(HRESULT hr, HRESULT* errors, HRESULT itemError) {
  const bool expected = errors != nullptr && errors[0] == itemError;
  CoTaskMemFree(errors);
  return expected ? hr : kWrongOutputs;
}

// The result of a call that refused every item as a whole: no error block.
HRESULT NoItems(HRESULT hr, HRESULT* errors) {
  const bool none = errors == nullptr;
  CoTaskMemFree(errors);
  return none ? hr : kWrongOutputs;
}

// GetState with the out-pointer numbered `missing` NULL (none for -1).
HRESULT GetStateWithout(IOPCGroupStateMgt* state, int missing) {
  DWORD rate = 0;
  BOOL active = FALSE;
  LPWSTR name = nullptr;
  LONG bias = 0;
  FLOAT deadband = 0;
  DWORD locale = 0;
  OPCHANDLE client = 0;
  OPCHANDLE server = 0;
  const HRESULT hr = state->GetState(missing == 0 ? nullptr : &rate, missing == 1 ? nullptr : &active,
                                     missing == 2 ? nullptr : &name, missing == 3 ? nullptr : &bias,
                                     missing == 4 ? nullptr : &deadband, missing == 5 ? nullptr : &locale,
                                     missing == 6 ? nullptr : &client, missing == 7 ? nullptr : &server);
  CoTaskMemFree(name);
  return hr;
}

// Runs `call` with the task allocator failing: the blocks for a count far
// beyond the array cannot be had.
template <class Call>
HRESULT WithoutMemory(Call call) {
  TaskMemoryFailNextAllocations(4);
  const HRESULT hr = call();
  TaskMemoryFailNextAllocations(0);
  return hr;
}

// An asynchronous read or write of either interface as (count, handles,
// values, id out, errors out); a read passes no values.
using QueuedCall = std::function<HRESULT(DWORD, OPCHANDLE*, VARIANT*, DWORD*, HRESULT**)>;

// The rows that asynchronous reads and writes of both interfaces share, in
// three phases: argument checks before any sink is advised (`idOut` names the
// id out-pointer), then, after `advise`, unknown handles (answered with
// `unknownHandles`, `listed` saying whether the errors come back) and no
// memory, then a queue that `fill` fills.
struct QueuedRows {
  std::string name;
  QueuedCall read, write;
  std::string idOut;
  std::function<HRESULT()> advise;
  HRESULT unknownHandles;
  bool listed;
  std::function<void()> fill;
};

class GroupBadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(connected.Ready());
    ASSERT_EQ(other.Connect(), S_OK);
    ASSERT_NE(other.OpcServer(), nullptr);
    NewTag("Area.Tag");
    ASSERT_TRUE(SUCCEEDED(group.Added()));
    good = group.AddItems({{"Area.Tag"}}).results.at(0).hServer;
    removedItem = group.AddItems({{"Area.Tag"}}).results.at(0).hServer;
    ASSERT_EQ(group.RemoveItems({removedItem}).hr, S_OK);
    siblingItem = sibling.AddItems({{"Area.Tag"}}).results.at(0).hServer;
    {
      OpcTestGroup removed(connected.opc, "Removed");
      removedGroupItem = removed.AddItems({{"Area.Tag"}}).results.at(0).hServer;
      removed.Release();
      ASSERT_EQ(connected.opc->RemoveGroup(removed.ServerHandle(), FALSE), S_OK);
    }
    foreign = std::make_unique<OpcTestGroup>(other.OpcServer(), "Foreign");
    foreignItem = foreign->AddItems({{"Area.Tag"}}).results.at(0).hServer;
    ASSERT_NE(good, 0u);
    ASSERT_NE(foreignItem, 0u);
  }

  // Rows for asynchronous reads and writes; defined below.
  void AddQueuedRows(const QueuedRows& rows);

  // Server handles that name no item of the group.
  std::vector<std::pair<std::string, OPCHANDLE>> BadHandles() const {
    return {{"handle 0", 0},
            {"handle 0xFFFFFFFF", 0xFFFFFFFF},
            {"a removed item's handle", removedItem},
            {"another group's item", siblingItem},
            {"a removed group's item", removedGroupItem},
            {"the group's own handle", group.ServerHandle()},
            {"another client's item", foreignItem}};
  }

  template <class Interface>
  Interface* Offered(REFIID iid) {
    Interface* offered = nullptr;
    EXPECT_EQ(group.Unknown()->QueryInterface(iid, reinterpret_cast<void**>(&offered)), S_OK);
    if (offered != nullptr) held.emplace_back(reinterpret_cast<IUnknown*>(offered));
    return offered;
  }

  void TearDown() override {
    for (IUnknown* offered : held) offered->Release();
  }

  // The base rate is long: nothing queued is drained while the table runs.
  ConnectedClient connected{60000};
  OpcTestClient other;
  OpcTestGroup group{connected.opc, "G", [] {
                       OpcTestGroup::Options options;
                       options.active = FALSE;
                       options.rate = 60000;
                       return options;
                     }()};
  OpcTestGroup sibling{connected.opc, "Sibling"};
  std::unique_ptr<OpcTestGroup> foreign;
  OPCHANDLE good = 0;
  OPCHANDLE removedGroupItem = 0;
  OPCHANDLE removedItem = 0;
  OPCHANDLE siblingItem = 0;
  OPCHANDLE foreignItem = 0;
  std::vector<IUnknown*> held;
  WideString longName = LongWideName();
  WideString unrepresentable = UnrepresentableWideName();
  BadInputTable table;
};

TEST_F(GroupBadInput, QueryInterface) {
  AddQueryInterfaceRows(table, "OPCGroup", group.Unknown());
  table.Add("OPCGroup::QueryInterface", "IID_IOPCPublicGroupStateMgt", E_NOINTERFACE, [&] {
    void* out = nullptr;
    return group.Unknown()->QueryInterface(IID_IOPCPublicGroupStateMgt, &out);
  });
  const std::pair<const char*, const IID*> holders[] = {{"IOPCItemMgt", &IID_IOPCItemMgt},
                                                        {"IOPCGroupStateMgt", &IID_IOPCGroupStateMgt},
                                                        {"IOPCSyncIO", &IID_IOPCSyncIO},
                                                        {"IOPCAsyncIO", &IID_IOPCAsyncIO},
                                                        {"IOPCAsyncIO2", &IID_IOPCAsyncIO2},
                                                        {"IDataObject", &IID_IDataObject},
                                                        {"IConnectionPointContainer", &IID_IConnectionPointContainer}};
  for (const auto& [name, iid] : holders) AddQueryInterfaceRows(table, name, Offered<IUnknown>(*iid));
  table.Run();
}

TEST_F(GroupBadInput, IOPCItemMgt) {
  IOPCItemMgt* items = group.Items();
  AddQueryInterfaceRows(table, "IOPCItemMgt", items);
  // AddItems and ValidateItems share their checks.
  using Resolve = std::function<HRESULT(DWORD, OPCITEMDEF*, OPCITEMRESULT**, HRESULT**)>;
  const std::pair<std::string, Resolve> resolvers[] = {
      {"IOPCItemMgt::AddItems",
       [=](DWORD n, OPCITEMDEF* d, OPCITEMRESULT** r, HRESULT** e) { return items->AddItems(n, d, r, e); }},
      {"IOPCItemMgt::ValidateItems", [=](DWORD n, OPCITEMDEF* d, OPCITEMRESULT** r, HRESULT** e) {
         return items->ValidateItems(n, d, FALSE, r, e);
       }}};
  for (const auto& [method, resolve] : resolvers) {
    struct Arguments {
      const char* input;
      DWORD count;
      bool definitions, results, errors;
      HRESULT expected;
    };
    for (const Arguments& row :
         {Arguments{"count 0", 0, true, true, true, E_INVALIDARG},
          Arguments{"null definitions", 1, false, true, true, E_INVALIDARG},
          Arguments{"null results out", 1, true, false, true, E_INVALIDARG},
          Arguments{"null errors out", 1, true, true, false, E_INVALIDARG},
          Arguments{"count 0x7FFFFFFF, short array, null errors out", kHugeCount, true, true, false, E_INVALIDARG}}) {
      table.Add(method, row.input, row.expected, [=, resolve = resolve] {
        const ItemDefinition item("", "Area.Tag");
        OPCITEMDEF definition = item.Get();
        OPCITEMRESULT* results = reinterpret_cast<OPCITEMRESULT*>(1);
        HRESULT* errors = reinterpret_cast<HRESULT*>(1);
        const HRESULT hr = resolve(row.count, row.definitions ? &definition : nullptr, row.results ? &results : nullptr,
                                   row.errors ? &errors : nullptr);
        // Refused: every out-pointer given is set to NULL.
        const bool cleared = (!row.results || results == nullptr) && (!row.errors || errors == nullptr);
        return cleared ? hr : kWrongOutputs;
      });
    }
    table.Add(method, "count 0x7FFFFFFF, short array, no memory", E_OUTOFMEMORY, [=, resolve = resolve] {
      const ItemDefinition item("", "Area.Tag");
      OPCITEMDEF definition = item.Get();
      OPCITEMRESULT* results = nullptr;
      HRESULT* errors = nullptr;
      return WithoutMemory([&] { return resolve(kHugeCount, &definition, &results, &errors); });
    });
    struct Definition {
      std::string input;
      const WCHAR* accessPath;
      const WCHAR* itemId;
      VARTYPE requested;
      HRESULT error;
    };
    const Definition definitions[] = {
        {"null item ID", OLESTR(""), nullptr, VT_EMPTY, OPC_E_INVALIDITEMID},
        {"empty item ID", OLESTR(""), OLESTR(""), VT_EMPTY, OPC_E_INVALIDITEMID},
        {"64k item ID", OLESTR(""), longName.c_str(), VT_EMPTY, OPC_E_UNKNOWNITEMID},
        {"non-representable item ID", OLESTR(""), unrepresentable.c_str(), VT_EMPTY, OPC_E_UNKNOWNITEMID},
        {"non-representable access path", unrepresentable.c_str(), OLESTR("Area.Tag"), VT_EMPTY, OPC_E_UNKNOWNITEMID},
        {"a branch's item ID", OLESTR(""), OLESTR("Area"), VT_EMPTY, OPC_E_UNKNOWNITEMID},
        {"requested type 0xFFFF", OLESTR(""), OLESTR("Area.Tag"), 0xFFFF, OPC_E_BADTYPE},
        {"requested type VT_BYREF|VT_R4", OLESTR(""), OLESTR("Area.Tag"), VT_BYREF | VT_R4, OPC_E_BADTYPE},
        {"requested type VT_ARRAY|VT_R4", OLESTR(""), OLESTR("Area.Tag"), VT_ARRAY | VT_R4, OPC_E_BADTYPE},
        {"requested type VT_VARIANT", OLESTR(""), OLESTR("Area.Tag"), VT_VARIANT, OPC_E_BADTYPE},
    };
    for (const Definition& row : definitions) {
      table.Add(method, row.input, S_FALSE, [=, resolve = resolve] {
        OPCITEMDEF definition{
            const_cast<LPWSTR>(row.accessPath), const_cast<LPWSTR>(row.itemId), TRUE, 7, 0, nullptr, row.requested, 0};
        OPCITEMRESULT* results = nullptr;
        HRESULT* errors = nullptr;
        const HRESULT hr = resolve(1, &definition, &results, &errors);
        const bool noItem = results != nullptr && results[0].hServer == 0;
        CoTaskMemFree(results);
        return noItem ? OneItem(hr, errors, row.error) : (CoTaskMemFree(errors), kWrongOutputs);
      });
    }
    table.Add(method, "null access path, blob size 0xFFFFFFFF with no blob", S_OK, [=, resolve = resolve] {
      WideString id = OLESTR("Area.Tag");
      OPCITEMDEF definition{nullptr, id.data(), TRUE, 7, 0xFFFFFFFF, nullptr, VT_EMPTY, 0};
      OPCITEMRESULT* results = nullptr;
      HRESULT* errors = nullptr;
      const HRESULT hr = resolve(1, &definition, &results, &errors);
      const OPCHANDLE added = results != nullptr ? results[0].hServer : 0;
      CoTaskMemFree(results);
      CoTaskMemFree(errors);
      if (added != 0) {
        HRESULT* removed = nullptr;
        items->RemoveItems(1, const_cast<OPCHANDLE*>(&added), &removed);
        CoTaskMemFree(removed);
      }
      return hr;
    });
  }

  // The methods that change items by server handle share their checks too.
  using Change = std::function<HRESULT(DWORD, OPCHANDLE*, bool, HRESULT**)>;
  const std::pair<std::string, Change> changes[] = {
      {"IOPCItemMgt::SetActiveState",
       [=](DWORD n, OPCHANDLE* h, bool, HRESULT** e) { return items->SetActiveState(n, h, TRUE, e); }},
      {"IOPCItemMgt::SetClientHandles",
       [=](DWORD n, OPCHANDLE* h, bool values, HRESULT** e) {
         OPCHANDLE clients[1] = {9};
         return items->SetClientHandles(n, h, values ? clients : nullptr, e);
       }},
      {"IOPCItemMgt::SetDatatypes",
       [=](DWORD n, OPCHANDLE* h, bool values, HRESULT** e) {
         VARTYPE types[1] = {VT_R8};
         return items->SetDatatypes(n, h, values ? types : nullptr, e);
       }},
      {"IOPCItemMgt::RemoveItems",
       [=](DWORD n, OPCHANDLE* h, bool, HRESULT** e) { return items->RemoveItems(n, h, e); }}};
  for (const auto& [method, change] : changes) {
    struct Arguments {
      const char* input;
      DWORD count;
      bool handles, values, errors;
    };
    for (const Arguments& row :
         {Arguments{"count 0", 0, true, true, true}, Arguments{"null handles", 1, false, true, true},
          Arguments{"null values", 1, true, false, true}, Arguments{"null errors out", 1, true, true, false},
          Arguments{"count 0x7FFFFFFF, short array, null errors out", kHugeCount, true, true, false}}) {
      if (!row.values && method == "IOPCItemMgt::SetActiveState") continue;
      if (!row.values && method == "IOPCItemMgt::RemoveItems") continue;
      table.Add(method, row.input, E_INVALIDARG, [=, change = change] {
        OPCHANDLE handles[1] = {good};
        HRESULT* errors = reinterpret_cast<HRESULT*>(1);
        const HRESULT hr =
            change(row.count, row.handles ? handles : nullptr, row.values, row.errors ? &errors : nullptr);
        return !row.errors || errors == nullptr ? hr : kWrongOutputs;
      });
    }
    table.Add(method, "count 0x7FFFFFFF, short array, no memory", E_OUTOFMEMORY, [=, change = change] {
      OPCHANDLE handles[1] = {good};
      HRESULT* errors = nullptr;
      return WithoutMemory([&] { return change(kHugeCount, handles, true, &errors); });
    });
    for (const auto& [input, handle] : BadHandles()) {
      table.Add(method, input, S_FALSE, [=, change = change, handle = handle] {
        OPCHANDLE handles[1] = {handle};
        HRESULT* errors = nullptr;
        const HRESULT hr = change(1, handles, true, &errors);
        return OneItem(hr, errors, OPC_E_INVALIDHANDLE);
      });
    }
  }
  table.Add("IOPCItemMgt::SetDatatypes", "invalid VARTYPEs are kept", S_OK, [=] {
    OPCHANDLE handles[1] = {good};
    VARTYPE types[1] = {0xFFFF};
    HRESULT* errors = nullptr;
    const HRESULT hr = items->SetDatatypes(1, handles, types, &errors);
    return OneItem(hr, errors, S_OK);
  });
  table.Add("IOPCItemMgt::CreateEnumerator", "null out-pointer", E_INVALIDARG,
            [=] { return items->CreateEnumerator(IID_IEnumOPCItemAttributes, nullptr); });
  for (const auto& [input, iid] :
       {std::pair<const char*, const IID*>{"unknown IID", &kUnknownIid}, {"IID_IEnumString", &IID_IEnumString}}) {
    table.Add("IOPCItemMgt::CreateEnumerator", input, E_INVALIDARG, [=, iid = iid] {
      IUnknown* enumerator = nullptr;
      const HRESULT hr = items->CreateEnumerator(*iid, &enumerator);
      return enumerator == nullptr ? hr : kWrongOutputs;
    });
  }
  table.Run();
}

TEST_F(GroupBadInput, ItemEnumerator) {
  IEnumOPCItemAttributes* enumerator = nullptr;
  ASSERT_EQ(group.Items()->CreateEnumerator(IID_IEnumOPCItemAttributes, reinterpret_cast<IUnknown**>(&enumerator)),
            S_OK);
  AddQueryInterfaceRows(table, "IOPCItemEnumerator", enumerator);
  table.Add("IOPCItemEnumerator::Next", "count 2, null fetched", E_POINTER, [=] {
    OPCITEMATTRIBUTES* attributes = nullptr;
    return enumerator->Next(2, &attributes, nullptr);
  });
  table.Add("IOPCItemEnumerator::Next", "count 1, null elements out", E_POINTER, [=] {
    ULONG fetched = 0;
    return enumerator->Next(1, nullptr, &fetched);
  });
  table.Add("IOPCItemEnumerator::Next", "count 0x7FFFFFFF", S_FALSE, [=] {
    OPCITEMATTRIBUTES* attributes = nullptr;
    ULONG fetched = 0;
    enumerator->Reset();
    const HRESULT hr = enumerator->Next(kHugeCount, &attributes, &fetched);
    for (ULONG i = 0; i < fetched; ++i) {
      CoTaskMemFree(attributes[i].szAccessPath);
      CoTaskMemFree(attributes[i].szItemID);
      CoTaskMemFree(attributes[i].pBlob);
      VariantClear(&attributes[i].vEUInfo);
    }
    CoTaskMemFree(attributes);
    return fetched == 1 ? hr : kWrongOutputs;
  });
  for (ULONG count : std::initializer_list<ULONG>{0xFFFFFFFFu, kHugeCount}) {
    table.Add("IOPCItemEnumerator::Skip", "count " + std::to_string(count), S_FALSE, [=] {
      enumerator->Reset();
      enumerator->Skip(1);
      return enumerator->Skip(count);
    });
  }
  table.Add("IOPCItemEnumerator::Clone", "null out-pointer", E_INVALIDARG, [=] { return enumerator->Clone(nullptr); });
  table.Add("IOPCItemEnumerator", "released", 0, [=] { return static_cast<LONGLONG>(enumerator->Release()); });
  table.Run();
}

TEST_F(GroupBadInput, IOPCGroupStateMgt) {
  IOPCGroupStateMgt* state = group.State();
  AddQueryInterfaceRows(table, "IOPCGroupStateMgt", state);
  for (int missing = 0; missing < 8; ++missing) {
    table.Add("IOPCGroupStateMgt::GetState", "null out-pointer " + std::to_string(missing), E_INVALIDARG,
              [=] { return GetStateWithout(state, missing); });
  }
  table.Add("IOPCGroupStateMgt::SetState", "rate 0xFFFFFFFF", S_OK, [=] {
    DWORD requested = 0xFFFFFFFF;
    DWORD revised = 0;
    const HRESULT hr = state->SetState(&requested, &revised, nullptr, nullptr, nullptr, nullptr, nullptr);
    // The rate is revised to a whole number of base periods, never to none.
    return revised >= 60000 && revised % 60000 == 0 ? hr : kWrongOutputs;
  });
  table.Add("IOPCGroupStateMgt::SetState", "every pointer null", S_OK,
            [=] { return state->SetState(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); });
  table.Add("IOPCGroupStateMgt::SetName", "null name", E_INVALIDARG, [=] { return state->SetName(nullptr); });
  table.Add("IOPCGroupStateMgt::SetName", "empty name", E_INVALIDARG, [=] { return state->SetName(OLESTR("")); });
  table.Add("IOPCGroupStateMgt::SetName", "non-representable name", E_INVALIDARG,
            [=] { return state->SetName(unrepresentable.c_str()); });
  table.Add("IOPCGroupStateMgt::SetName", "its own name", OPC_E_DUPLICATENAME, [=] { return state->SetName(OLESTR("G")); });
  table.Add("IOPCGroupStateMgt::SetName", "64k name, then back", S_OK, [=] {
    const HRESULT hr = state->SetName(longName.c_str());
    return hr == S_OK ? state->SetName(OLESTR("G")) : hr;
  });
  table.Add("IOPCGroupStateMgt::SetName", "another client's group name", S_OK, [=] {
    const HRESULT hr = state->SetName(OLESTR("Foreign"));
    return hr == S_OK ? state->SetName(OLESTR("G")) : hr;
  });
  for (const auto& [input, name] : {std::pair<const char*, const WCHAR*>{"null name", nullptr},
                                    {"empty name", OLESTR("")},
                                    {"non-representable name", unrepresentable.c_str()}}) {
    table.Add("IOPCGroupStateMgt::CloneGroup", input, E_INVALIDARG, [=, name = name] {
      IUnknown* clone = nullptr;
      return state->CloneGroup(name, IID_IUnknown, &clone);
    });
  }
  table.Add("IOPCGroupStateMgt::CloneGroup", "64k name", S_OK, [&] {
    IUnknown* clone = nullptr;
    const HRESULT hr = state->CloneGroup(longName.c_str(), IID_IUnknown, &clone);
    if (clone != nullptr) clone->Release();
    return hr;
  });
  table.Add("IOPCGroupStateMgt::CloneGroup", "its own name", OPC_E_DUPLICATENAME, [=] {
    IUnknown* clone = nullptr;
    return state->CloneGroup(OLESTR("G"), IID_IUnknown, &clone);
  });
  table.Add("IOPCGroupStateMgt::CloneGroup", "null out-pointer", E_INVALIDARG,
            [=] { return state->CloneGroup(OLESTR("Clone"), IID_IUnknown, nullptr); });
  table.Add("IOPCGroupStateMgt::CloneGroup", "unknown IID", E_NOINTERFACE, [&] {
    IUnknown* clone = nullptr;
    const HRESULT hr = state->CloneGroup(OLESTR("Clone"), kUnknownIid, &clone);
    // Refused, the clone is not listed either.
    IUnknown* found = nullptr;
    if (connected.opc->GetGroupByName(OLESTR("Clone"), IID_IUnknown, &found) == S_OK) return kWrongOutputs;
    return clone == nullptr ? hr : kWrongOutputs;
  });
  table.Run();
}

TEST_F(GroupBadInput, IOPCSyncIO) {
  IOPCSyncIO* io = Offered<IOPCSyncIO>(IID_IOPCSyncIO);
  AddQueryInterfaceRows(table, "IOPCSyncIO", io);
  struct Arguments {
    const char* input;
    DWORD source, count;
    bool handles, states, errors;
  };
  for (const Arguments& row :
       {Arguments{"count 0", OPC_DS_CACHE, 0, true, true, true},
        Arguments{"null handles", OPC_DS_CACHE, 1, false, true, true},
        Arguments{"null states out", OPC_DS_CACHE, 1, true, false, true},
        Arguments{"null errors out", OPC_DS_CACHE, 1, true, true, false}, Arguments{"source 0", 0, 1, true, true, true},
        Arguments{"source 3", 3, 1, true, true, true}, Arguments{"source 0xFFFFFFFF", 0xFFFFFFFF, 1, true, true, true},
        Arguments{"count 0x7FFFFFFF, short array, source 3", 3, kHugeCount, true, true, true},
        Arguments{"count 0x7FFFFFFF, short array, null errors out", OPC_DS_CACHE, kHugeCount, true, true, false}}) {
    table.Add("IOPCSyncIO::Read", row.input, E_INVALIDARG, [=] {
      OPCHANDLE handles[1] = {good};
      OPCITEMSTATE* states = nullptr;
      HRESULT* errors = reinterpret_cast<HRESULT*>(1);
      const HRESULT hr = io->Read(static_cast<OPCDATASOURCE>(row.source), row.count, row.handles ? handles : nullptr,
                                  row.states ? &states : nullptr, row.errors ? &errors : nullptr);
      return (!row.errors || errors == nullptr) && states == nullptr ? hr : kWrongOutputs;
    });
  }
  table.Add("IOPCSyncIO::Read", "count 0x7FFFFFFF, short array, no memory", E_OUTOFMEMORY, [=] {
    OPCHANDLE handles[1] = {good};
    OPCITEMSTATE* states = nullptr;
    HRESULT* errors = nullptr;
    return WithoutMemory([&] { return io->Read(OPC_DS_CACHE, kHugeCount, handles, &states, &errors); });
  });
  for (const auto& [input, handle] : BadHandles()) {
    table.Add("IOPCSyncIO::Read", input, S_FALSE, [=, handle = handle] {
      OPCHANDLE handles[1] = {handle};
      OPCITEMSTATE* states = nullptr;
      HRESULT* errors = nullptr;
      const HRESULT hr = io->Read(OPC_DS_CACHE, 1, handles, &states, &errors);
      CoTaskMemFree(states);
      return OneItem(hr, errors, OPC_E_INVALIDHANDLE);
    });
  }
  table.Add("IOPCSyncIO::Write", "count 0", E_INVALIDARG, [=] {
    OPCHANDLE handles[1] = {good};
    VARIANT values[1] = {MakeR4(1)};
    HRESULT* errors = nullptr;
    return io->Write(0, handles, values, &errors);
  });
  table.Add("IOPCSyncIO::Write", "null handles", E_INVALIDARG, [=] {
    VARIANT values[1] = {MakeR4(1)};
    HRESULT* errors = nullptr;
    return io->Write(1, nullptr, values, &errors);
  });
  table.Add("IOPCSyncIO::Write", "null values", E_INVALIDARG, [=] {
    OPCHANDLE handles[1] = {good};
    HRESULT* errors = nullptr;
    return io->Write(1, handles, nullptr, &errors);
  });
  table.Add("IOPCSyncIO::Write", "count 0x7FFFFFFF, short arrays, null errors out", E_INVALIDARG, [=] {
    OPCHANDLE handles[1] = {good};
    VARIANT values[1] = {MakeR4(1)};
    return io->Write(kHugeCount, handles, values, nullptr);
  });
  table.Add("IOPCSyncIO::Write", "count 0x7FFFFFFF, short arrays, no memory", E_OUTOFMEMORY, [=] {
    OPCHANDLE handles[1] = {good};
    VARIANT values[1] = {MakeR4(1)};
    HRESULT* errors = nullptr;
    return WithoutMemory([&] { return io->Write(kHugeCount, handles, values, &errors); });
  });
  for (const auto& [input, handle] : BadHandles()) {
    table.Add("IOPCSyncIO::Write", input, S_FALSE, [=, handle = handle] {
      OPCHANDLE handles[1] = {handle};
      VARIANT values[1] = {MakeR4(1)};
      HRESULT* errors = nullptr;
      const HRESULT hr = io->Write(1, handles, values, &errors);
      return OneItem(hr, errors, OPC_E_INVALIDHANDLE);
    });
  }
  // Values no VARIANT may hold: refused for the item, the cache keeps its value.
  struct Invalid {
    const char* input;
    VARTYPE type;
  };
  for (const Invalid& row :
       {Invalid{"VARIANT of type 0xFFFF", 0xFFFF}, Invalid{"VARIANT of type 0x7FFF", 0x7FFF},
        Invalid{"VT_BYREF|VT_R4 with a null reference", VT_BYREF | VT_R4},
        Invalid{"VT_ARRAY|VT_R4 with a null array", VT_ARRAY | VT_R4}, Invalid{"VT_VARIANT alone", VT_VARIANT}}) {
    table.Add("IOPCSyncIO::Write", row.input, S_FALSE, [=] {
      OPCHANDLE handles[1] = {good};
      VARIANT values[1];
      VariantInit(&values[0]);
      values[0].vt = row.type;
      HRESULT* errors = nullptr;
      const HRESULT hr = io->Write(1, handles, values, &errors);
      const bool refused = errors != nullptr && FAILED(errors[0]);
      CoTaskMemFree(errors);
      // The item still reads as the number it held.
      OPCITEMSTATE* states = nullptr;
      HRESULT* readErrors = nullptr;
      io->Read(OPC_DS_CACHE, 1, handles, &states, &readErrors);
      const bool kept = states != nullptr && states[0].vDataValue.vt == VT_R4;
      if (states != nullptr) VariantClear(&states[0].vDataValue);
      CoTaskMemFree(states);
      CoTaskMemFree(readErrors);
      return refused && kept ? hr : kWrongOutputs;
    });
  }
  table.Add("IOPCSyncIO::Read", "an item of requested type 0xFFFF", S_FALSE, [=] {
    OPCHANDLE handles[1] = {good};
    VARTYPE types[1] = {0xFFFF};
    HRESULT* typeErrors = nullptr;
    group.Items()->SetDatatypes(1, handles, types, &typeErrors);
    CoTaskMemFree(typeErrors);
    OPCITEMSTATE* states = nullptr;
    HRESULT* errors = nullptr;
    const HRESULT hr = io->Read(OPC_DS_CACHE, 1, handles, &states, &errors);
    const bool empty = states != nullptr && states[0].vDataValue.vt == VT_EMPTY;
    if (states != nullptr) VariantClear(&states[0].vDataValue);
    CoTaskMemFree(states);
    return empty ? OneItem(hr, errors, DISP_E_BADVARTYPE) : (CoTaskMemFree(errors), kWrongOutputs);
  });
  table.Run();
}

void GroupBadInput::AddQueuedRows(const QueuedRows& rows) {
  struct Arguments {
    std::string input;
    DWORD count;
    bool handles, id, errors;
    HRESULT expected;
  };
  const OPCHANDLE item = good;
  const auto call = [item](const QueuedCall& queued, DWORD count, bool handlesGiven, bool idGiven, bool errorsGiven) {
    OPCHANDLE handles[1] = {item};
    VARIANT values[1] = {MakeR4(1)};
    DWORD id = 0;
    HRESULT* errors = nullptr;
    const HRESULT hr = queued(count, handlesGiven ? handles : nullptr, values, idGiven ? &id : nullptr,
                              errorsGiven ? &errors : nullptr);
    CoTaskMemFree(errors);
    return hr;
  };
  for (const auto& [method, queued] :
       {std::pair{rows.name + "::Read", rows.read}, std::pair{rows.name + "::Write", rows.write}}) {
    for (const Arguments& row :
         {Arguments{"count 0", 0, true, true, true, E_INVALIDARG},
          Arguments{"null handles", 1, false, true, true, E_INVALIDARG},
          Arguments{"null " + rows.idOut, 1, true, false, true, E_INVALIDARG},
          Arguments{"null errors out", 1, true, true, false, E_INVALIDARG},
          Arguments{"count 0x7FFFFFFF, short arrays, no sink", kHugeCount, true, true, true, CONNECT_E_NOCONNECTION}}) {
      table.Add(method, row.input, row.expected,
                [=, queued = queued] { return call(queued, row.count, row.handles, row.id, row.errors); });
    }
  }
  table.Add(rows.name + "::Write", "null values", E_INVALIDARG, [=] {
    OPCHANDLE handles[1] = {item};
    DWORD id = 0;
    HRESULT* errors = nullptr;
    return rows.write(1, handles, nullptr, &id, &errors);
  });
  table.Add(rows.name, "sinks advised", S_OK, rows.advise);
  for (const auto& [method, queued] :
       {std::pair{rows.name + "::Read", rows.read}, std::pair{rows.name + "::Write", rows.write}}) {
    for (const auto& [input, handle] : BadHandles()) {
      table.Add(method, input, rows.unknownHandles, [=, queued = queued, handle = handle] {
        OPCHANDLE handles[1] = {handle};
        VARIANT values[1] = {MakeR4(1)};
        DWORD id = 0;
        HRESULT* errors = nullptr;
        const HRESULT hr = queued(1, handles, values, &id, &errors);
        return rows.listed ? OneItem(hr, errors, OPC_E_INVALIDHANDLE) : NoItems(hr, errors);
      });
    }
    table.Add(method, "count 0x7FFFFFFF, short arrays, no memory", E_OUTOFMEMORY, [=, queued = queued] {
      return WithoutMemory([&] { return call(queued, kHugeCount, true, true, true); });
    });
  }
  table.Add(rows.name + "::Write", "VARIANT of type 0xFFFF", S_OK, [=] {
    OPCHANDLE handles[1] = {item};
    VARIANT values[1];
    VariantInit(&values[0]);
    values[0].vt = 0xFFFF;
    DWORD id = 0;
    HRESULT* errors = nullptr;
    // The item's refusal travels in the completion; the call itself is accepted.
    const HRESULT hr = rows.write(1, handles, values, &id, &errors);
    return OneItem(hr, errors, S_OK);
  });
  for (const auto& [method, queued] :
       {std::pair{rows.name + "::Read", rows.read}, std::pair{rows.name + "::Write", rows.write}}) {
    table.Add(method, "count 0x7FFFFFFF, short arrays, queue full", E_FAIL, [=, queued = queued] {
      rows.fill();
      return call(queued, kHugeCount, true, true, true);
    });
  }
}

TEST_F(GroupBadInput, IOPCAsyncIO) {
  IOPCAsyncIO* io = Offered<IOPCAsyncIO>(IID_IOPCAsyncIO);
  IDataObject* data = Offered<IDataObject>(IID_IDataObject);
  AddQueryInterfaceRows(table, "IOPCAsyncIO", io);
  table.Add("IOPCAsyncIO::Refresh", "null transaction-id out", E_INVALIDARG,
            [=] { return io->Refresh(0, OPC_DS_CACHE, nullptr); });
  table.Add("IOPCAsyncIO::Refresh", "no sink", CONNECT_E_NOCONNECTION, [=] {
    DWORD id = 0;
    return io->Refresh(0, OPC_DS_CACHE, &id);
  });
  for (DWORD id : {0u, 1u, 0xFFFFFFFFu}) {
    table.Add("IOPCAsyncIO::Cancel", "transaction " + std::to_string(id) + ", none pending", E_FAIL,
              [=] { return io->Cancel(id); });
  }
  RecordingAdviseSink dataSink;
  RecordingAdviseSink writeSink;
  const CLIPFORMAT dataFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatA("OPCSTMFORMATDATA"));
  const CLIPFORMAT writeFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatA("OPCSTMFORMATWRITECOMPLETE"));
  AddQueuedRows(
      {"IOPCAsyncIO",
       [=](DWORD n, OPCHANDLE* h, VARIANT*, DWORD* id, HRESULT** e) { return io->Read(0, OPC_DS_CACHE, n, h, id, e); },
       [=](DWORD n, OPCHANDLE* h, VARIANT* v, DWORD* id, HRESULT** e) { return io->Write(0, n, h, v, id, e); },
       "transaction-id out",
       [&, data] {
         FORMATETC formats[2] = {{dataFormat, nullptr, 1, -1, 1}, {writeFormat, nullptr, 1, -1, 1}};
         DWORD connection = 0;
         const HRESULT hr = data->DAdvise(&formats[0], 0, &dataSink, &connection);
         return hr == S_OK ? data->DAdvise(&formats[1], 0, &writeSink, &connection) : hr;
       },
       OPC_E_INVALIDHANDLE, false,
       [=] {
         DWORD id = 0;
         for (int i = 0; i < 10; ++i) io->Refresh(0, OPC_DS_CACHE, &id);
       }});
  // The sinks live on this stack: the worker must not deliver to them later.
  table.Add("IDataObject::DUnadvise", "data and write-complete sinks", S_OK, [=] {
    const HRESULT hr = data->DUnadvise(dataFormat);
    return hr == S_OK ? data->DUnadvise(writeFormat) : hr;
  });
  table.Run();
}

TEST_F(GroupBadInput, IOPCAsyncIO2) {
  IOPCAsyncIO2* io = Offered<IOPCAsyncIO2>(IID_IOPCAsyncIO2);
  AddQueryInterfaceRows(table, "IOPCAsyncIO2", io);
  table.Add("IOPCAsyncIO2::Refresh2", "null cancel-id out", E_INVALIDARG,
            [=] { return io->Refresh2(OPC_DS_CACHE, 5, nullptr); });
  table.Add("IOPCAsyncIO2::Refresh2", "no sink", CONNECT_E_NOCONNECTION, [=] {
    DWORD id = 0;
    return io->Refresh2(OPC_DS_CACHE, 5, &id);
  });
  table.Add("IOPCAsyncIO2::SetEnable", "no sink", CONNECT_E_NOCONNECTION, [=] { return io->SetEnable(FALSE); });
  table.Add("IOPCAsyncIO2::GetEnable", "null out-pointer, no sink", CONNECT_E_NOCONNECTION,
            [=] { return io->GetEnable(nullptr); });
  for (DWORD id : {0u, 1u, 0xFFFFFFFFu}) {
    table.Add("IOPCAsyncIO2::Cancel2", "cancel id " + std::to_string(id) + ", none pending", E_FAIL,
              [=] { return io->Cancel2(id); });
  }
  TestDataCallback callback;
  IConnectionPoint* point = nullptr;
  AddQueuedRows(
      {"IOPCAsyncIO2",
       [=](DWORD n, OPCHANDLE* h, VARIANT*, DWORD* id, HRESULT** e) { return io->Read(n, h, 5, id, e); },
       [=](DWORD n, OPCHANDLE* h, VARIANT* v, DWORD* id, HRESULT** e) { return io->Write(n, h, v, 5, id, e); },
       "cancel-id out",
       [&] {
         point = group.AdviseDataCallback(&callback);
         return point != nullptr ? S_OK : E_FAIL;
       },
       S_FALSE, true,
       [=] {
         DWORD id = 0;
         for (int i = 0; i < 10; ++i) io->Refresh2(OPC_DS_CACHE, 5, &id);
       }});
  table.Add("IOPCAsyncIO2::GetEnable", "null out-pointer", E_INVALIDARG, [=] { return io->GetEnable(nullptr); });
  table.Add("IConnectionPoint::Unadvise", "the data callback", S_OK, [&] {
    const HRESULT hr = point->Unadvise(1);
    point->Release();
    return hr;
  });
  table.Run();
}

TEST_F(GroupBadInput, IDataObject) {
  IDataObject* data = Offered<IDataObject>(IID_IDataObject);
  AddQueryInterfaceRows(table, "IDataObject", data);
  table.Add("IDataObject::GetData", "null arguments", E_NOTIMPL, [=] { return data->GetData(nullptr, nullptr); });
  table.Add("IDataObject::GetDataHere", "null arguments", E_NOTIMPL,
            [=] { return data->GetDataHere(nullptr, nullptr); });
  table.Add("IDataObject::QueryGetData", "null format", E_NOTIMPL, [=] { return data->QueryGetData(nullptr); });
  table.Add("IDataObject::GetCanonicalFormatEtc", "null arguments", E_NOTIMPL,
            [=] { return data->GetCanonicalFormatEtc(nullptr, nullptr); });
  table.Add("IDataObject::SetData", "null arguments", E_NOTIMPL, [=] { return data->SetData(nullptr, nullptr, TRUE); });
  table.Add("IDataObject::EnumFormatEtc", "null out-pointer", E_NOTIMPL,
            [=] { return data->EnumFormatEtc(0xFFFFFFFF, nullptr); });
  table.Add("IDataObject::EnumDAdvise", "null out-pointer", E_NOTIMPL, [=] { return data->EnumDAdvise(nullptr); });
  RecordingAdviseSink adviseSink;
  TestDataCallback dataCallback;
  RecordingAdviseSink* sink = &adviseSink;
  TestDataCallback* notAnAdviseSink = &dataCallback;
  const CLIPFORMAT dataFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatA("OPCSTMFORMATDATA"));
  struct Advise {
    const char* input;
    CLIPFORMAT format;
    bool formatGiven, connectionGiven;
    IUnknown* sink;
    HRESULT expected;
  };
  for (const Advise& row :
       {Advise{"null format", dataFormat, false, true, sink, E_POINTER},
        Advise{"null sink", dataFormat, true, true, nullptr, E_POINTER},
        Advise{"null connection out", dataFormat, true, false, sink, E_POINTER},
        Advise{"format 0", 0, true, true, sink, DV_E_FORMATETC},
        Advise{"format 0xFFFF", 0xFFFF, true, true, sink, DV_E_FORMATETC},
        Advise{"a sink that is no advise sink", dataFormat, true, true, notAnAdviseSink, E_NOINTERFACE}}) {
    table.Add("IDataObject::DAdvise", row.input, row.expected, [=] {
      FORMATETC format{row.format, nullptr, 0xFFFFFFFF, 0x7FFFFFFF, 0xFFFFFFFF};
      DWORD connection = 0;
      return data->DAdvise(row.formatGiven ? &format : nullptr, 0xFFFFFFFF,
                           static_cast<IAdviseSink*>(static_cast<void*>(row.sink)),
                           row.connectionGiven ? &connection : nullptr);
    });
  }
  for (DWORD connection : std::initializer_list<DWORD>{0u, 0xFFFFFFFFu, DWORD(dataFormat)}) {
    table.Add("IDataObject::DUnadvise", "connection " + std::to_string(connection) + " not advised", OLE_E_NOCONNECTION,
              [=] { return data->DUnadvise(connection); });
  }
  table.Add("IDataObject::DAdvise", "a second sink for one format", CONNECT_E_ADVISELIMIT, [=] {
    FORMATETC format{dataFormat, nullptr, 1, -1, 1};
    DWORD connection = 0;
    const HRESULT first = data->DAdvise(&format, 0, sink, &connection);
    const HRESULT second = data->DAdvise(&format, 0, sink, &connection);
    return first == S_OK ? second : first;
  });
  table.Add("IDataObject::DUnadvise", "a connection already unadvised", OLE_E_NOCONNECTION, [=] {
    const HRESULT first = data->DUnadvise(dataFormat);
    const HRESULT second = data->DUnadvise(dataFormat);
    return first == S_OK ? second : first;
  });
  table.Run();
}

TEST_F(GroupBadInput, DataCallbackConnectionPoint) {
  IConnectionPointContainer* container = Offered<IConnectionPointContainer>(IID_IConnectionPointContainer);
  TestDataCallback callback;
  ShutdownSink notADataCallback;
  AddConnectionPointRows(table, "OPCGroupConnection", container, IID_IOPCDataCallback, &callback, &notADataCallback,
                         E_POINTER);
  table.Run();
}

// Groups the client still holds after the server removed them. One removed
// while held is out of its server's list: changes to it are refused. One
// removed by force is inert: every call but those of IUnknown is refused, and
// none reaches an item or a server that went.
TEST_F(GroupBadInput, RemovedGroups) {
  IOPCItemMgt* items = group.Items();
  IOPCGroupStateMgt* state = group.State();
  IOPCSyncIO* retiredIo = nullptr;
  ASSERT_EQ(sibling.Unknown()->QueryInterface(IID_IOPCSyncIO, reinterpret_cast<void**>(&retiredIo)), S_OK);
  held.push_back(retiredIo);
  IOPCItemMgt* retiredItems = sibling.Items();
  IOPCGroupStateMgt* retiredState = sibling.State();
  table.Add("IOPCServer::RemoveGroup", "a group still held", OPC_S_INUSE,
            [&] { return connected.opc->RemoveGroup(group.ServerHandle(), FALSE); });
  table.Add("IOPCServer::RemoveGroup", "a group still held, forced", S_OK,
            [&] { return connected.opc->RemoveGroup(sibling.ServerHandle(), TRUE); });
  for (const auto& [input, itemMgt] :
       {std::pair<const char*, IOPCItemMgt*>{"a removed group", items}, {"a group removed by force", retiredItems}}) {
    table.Add("IOPCItemMgt::AddItems", input, E_FAIL, [=, itemMgt = itemMgt] {
      const ItemDefinition item("", "Area.Tag");
      OPCITEMDEF definition = item.Get();
      OPCITEMRESULT* results = nullptr;
      HRESULT* errors = nullptr;
      const HRESULT hr = itemMgt->AddItems(1, &definition, &results, &errors);
      return NoItems(hr, errors);
    });
    table.Add("IOPCItemMgt::SetActiveState", input, E_FAIL, [=, itemMgt = itemMgt] {
      OPCHANDLE handles[1] = {good};
      HRESULT* errors = nullptr;
      const HRESULT hr = itemMgt->SetActiveState(1, handles, TRUE, &errors);
      return NoItems(hr, errors);
    });
  }
  for (const auto& [input, groupState] : {std::pair<const char*, IOPCGroupStateMgt*>{"a removed group", state},
                                          {"a group removed by force", retiredState}}) {
    table.Add("IOPCGroupStateMgt::SetName", input, E_FAIL,
              [=, groupState = groupState] { return groupState->SetName(OLESTR("Renamed")); });
    table.Add("IOPCGroupStateMgt::CloneGroup", input, E_FAIL, [=, groupState = groupState] {
      IUnknown* clone = nullptr;
      return groupState->CloneGroup(OLESTR("Clone"), IID_IUnknown, &clone);
    });
  }
  table.Add("IOPCGroupStateMgt::GetState", "a group removed by force", E_FAIL,
            [=] { return GetStateWithout(retiredState, -1); });
  table.Add("IOPCSyncIO::Read", "a group removed by force", E_FAIL, [=] {
    OPCHANDLE handles[1] = {siblingItem};
    OPCITEMSTATE* states = nullptr;
    HRESULT* errors = nullptr;
    const HRESULT hr = retiredIo->Read(OPC_DS_CACHE, 1, handles, &states, &errors);
    return NoItems(hr, errors);
  });
  table.Add("IOPCSyncIO::Write", "a group removed by force", E_FAIL, [=] {
    OPCHANDLE handles[1] = {siblingItem};
    VARIANT values[1] = {MakeR4(1)};
    HRESULT* errors = nullptr;
    const HRESULT hr = retiredIo->Write(1, handles, values, &errors);
    return NoItems(hr, errors);
  });
  table.Run();
}

}  // namespace
