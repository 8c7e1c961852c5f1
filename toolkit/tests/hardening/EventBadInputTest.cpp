// Bad input to the event server interface, event subscriptions and their
// connection point, with the built-in AE callback object and with none.
#include <gtest/gtest.h>

#include "Vorlix.h"
#include "hardening/BadInputTable.h"
#include "hardening/CommonRows.h"
#include "platform/IOPCEventServer.h"
#include "platform/IOPCEventSubscriptionMgt.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "support/ConnectedClient.h"
#include "support/TestDataCallback.h"
#include "support/TestEventSink.h"

namespace {

class EventBadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(connected.Ready());
    ASSERT_EQ(connected.client.Query(IID_IOPCEventServer, &events), S_OK);
  }

  // The rows of every method of IOPCEventServer with NULL out-pointers, which
  // are refused before the callback object is asked.
  void AddNullOutRows() {
    IOPCEventServer* server = events;
    const std::pair<const char*, std::function<HRESULT()>> calls[] = {
        {"GetStatus", [=] { return server->GetStatus(nullptr); }},
        {"CreateEventSubscription",
         [=] {
           DWORD time = 0;
           return server->CreateEventSubscription(TRUE, 0, 0, 1, IID_IUnknown, nullptr, &time, &time);
         }},
        {"QueryAvailableFilters", [=] { return server->QueryAvailableFilters(nullptr); }},
        {"QueryEventCategories",
         [=] {
           DWORD* ids = nullptr;
           LPWSTR* texts = nullptr;
           return server->QueryEventCategories(1, nullptr, &ids, &texts);
         }},
        {"QueryConditionNames",
         [=] {
           DWORD count = 0;
           return server->QueryConditionNames(1, &count, nullptr);
         }},
        {"QuerySubConditionNames",
         [=] {
           DWORD count = 0;
           return server->QuerySubConditionNames(nullptr, &count, nullptr);
         }},
        {"QuerySourceConditions",
         [=] {
           LPWSTR* names = nullptr;
           return server->QuerySourceConditions(nullptr, nullptr, &names);
         }},
        {"QueryEventAttributes",
         [=] {
           DWORD count = 0;
           DWORD* ids = nullptr;
           LPWSTR* texts = nullptr;
           return server->QueryEventAttributes(1, &count, &ids, &texts, nullptr);
         }},
        {"TranslateToItemIDs",
         [=] {
           DWORD ids[1] = {1};
           LPWSTR* items = nullptr;
           LPWSTR* nodes = nullptr;
           return server->TranslateToItemIDs(nullptr, 1, nullptr, nullptr, kHugeCount, ids, &items, &nodes, nullptr);
         }},
        {"GetConditionState",
         [=] {
           DWORD ids[1] = {1};
           return server->GetConditionState(nullptr, nullptr, kHugeCount, ids, nullptr);
         }},
        {"AckCondition",
         [=] {
           LPWSTR texts[1] = {nullptr};
           FILETIME times[1] = {};
           DWORD cookies[1] = {};
           return server->AckCondition(kHugeCount, nullptr, nullptr, texts, texts, times, cookies, nullptr);
         }},
        {"CreateAreaBrowser", [=] { return server->CreateAreaBrowser(IID_IUnknown, nullptr); }},
    };
    for (const auto& [method, call] : calls) {
      table.Add(std::string("IOPCEventServer::") + method, "null out-pointer", E_INVALIDARG, call);
    }
  }

  ConnectedClient connected{100};
  IOPCEventServer* events = nullptr;
  BadInputTable table;
};

TEST_F(EventBadInput, EventServerWithTheBuiltInCallbackObject) {
  IOPCEventServer* server = events;
  AddQueryInterfaceRows(table, "IOPCEventServer", server);
  AddNullOutRows();
  table.Add("IOPCEventServer::CreateEventSubscription", "unknown IID", E_NOINTERFACE, [=] {
    IUnknown* subscription = nullptr;
    DWORD time = 0;
    DWORD size = 0;
    const HRESULT hr = server->CreateEventSubscription(TRUE, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, kUnknownIid,
                                                       &subscription, &time, &size);
    return subscription == nullptr ? hr : kWrongOutputs;
  });
  for (DWORD category : {0u, 4u, 0xFFFFFFFFu}) {
    table.Add("IOPCEventServer::QueryConditionNames", "category " + std::to_string(category), E_INVALIDARG, [=] {
      DWORD count = 0;
      LPWSTR* names = nullptr;
      return server->QueryConditionNames(category, &count, &names);
    });
  }
  table.Add("IOPCEventServer::QueryEventCategories", "event type 0xFFFFFFFF", S_OK, [=] {
    DWORD count = 0;
    DWORD* ids = nullptr;
    LPWSTR* texts = nullptr;
    const HRESULT hr = server->QueryEventCategories(0xFFFFFFFF, &count, &ids, &texts);
    for (DWORD i = 0; i < count; ++i) CoTaskMemFree(texts[i]);
    CoTaskMemFree(ids);
    CoTaskMemFree(texts);
    return hr;
  });
  table.Add("IOPCEventServer::QuerySubConditionNames", "null condition name", S_OK, [=] {
    DWORD count = 7;
    LPWSTR* names = nullptr;
    const HRESULT hr = server->QuerySubConditionNames(nullptr, &count, &names);
    CoTaskMemFree(names);
    return count == 0 ? hr : kWrongOutputs;
  });
  table.Add("IOPCEventServer::EnableConditionByArea", "count 0x7FFFFFFF, null areas", E_NOTIMPL,
            [=] { return server->EnableConditionByArea(kHugeCount, nullptr); });
  table.Add("IOPCEventServer::EnableConditionBySource", "count 0x7FFFFFFF, null sources", E_NOTIMPL,
            [=] { return server->EnableConditionBySource(kHugeCount, nullptr); });
  table.Add("IOPCEventServer::DisableConditionByArea", "count 0x7FFFFFFF, null areas", E_NOTIMPL,
            [=] { return server->DisableConditionByArea(kHugeCount, nullptr); });
  table.Add("IOPCEventServer::DisableConditionBySource", "count 0x7FFFFFFF, null sources", E_NOTIMPL,
            [=] { return server->DisableConditionBySource(kHugeCount, nullptr); });
  table.Add("IOPCEventServer::AckCondition", "count 0x7FFFFFFF, short arrays, no memory", E_OUTOFMEMORY, [=] {
    LPWSTR texts[1] = {nullptr};
    FILETIME times[1] = {};
    DWORD cookies[1] = {};
    HRESULT* errors = nullptr;
    TaskMemoryFailNextAllocations(1);
    const HRESULT hr = server->AckCondition(kHugeCount, nullptr, nullptr, texts, texts, times, cookies, &errors);
    TaskMemoryFailNextAllocations(0);
    return hr;
  });
  table.Add("IOPCEventServer::AckCondition", "count 0", S_FALSE, [=] {
    HRESULT* errors = nullptr;
    const HRESULT hr = server->AckCondition(0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &errors);
    CoTaskMemFree(errors);
    return hr;
  });
  table.Add("IOPCEventServer::CreateAreaBrowser", "unknown IID", E_NOTIMPL, [=] {
    IUnknown* browser = nullptr;
    return server->CreateAreaBrowser(kUnknownIid, &browser);
  });
  table.Run();
}

TEST_F(EventBadInput, EventServerWithoutACallbackObject) {
  ASSERT_TRUE(SetAEServerCallback(FALSE, nullptr));
  IOPCEventServer* server = events;
  AddNullOutRows();
  table.Add("IOPCEventServer::QueryAvailableFilters", "no callback object", E_NOTIMPL, [=] {
    DWORD mask = 0;
    return server->QueryAvailableFilters(&mask);
  });
  table.Add("IOPCEventServer::AckCondition", "count 0x7FFFFFFF, short arrays, no callback object", E_NOTIMPL, [=] {
    LPWSTR texts[1] = {nullptr};
    FILETIME times[1] = {};
    DWORD cookies[1] = {};
    HRESULT* errors = nullptr;
    return server->AckCondition(kHugeCount, nullptr, nullptr, texts, texts, times, cookies, &errors);
  });
  table.Add("IOPCEventServer::CreateEventSubscription", "no callback object", S_OK, [=] {
    IUnknown* subscription = nullptr;
    DWORD time = 0;
    DWORD size = 0;
    const HRESULT hr = server->CreateEventSubscription(TRUE, 0, 0, 1, IID_IUnknown, &subscription, &time, &size);
    if (subscription != nullptr) subscription->Release();
    return hr;
  });
  table.Run();
}

TEST_F(EventBadInput, EventSubscription) {
  IOPCEventSubscriptionMgt* management = nullptr;
  ASSERT_EQ(connected.client.CreateEventSubscription(IID_IOPCEventSubscriptionMgt, &management), S_OK);
  IUnknown* subscription = nullptr;
  ASSERT_EQ(management->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&subscription)), S_OK);
  AddQueryInterfaceRows(table, "COPCEventSubscription", subscription);
  AddQueryInterfaceRows(table, "IOPCEventSubscriptionMgt", management);
  table.Add("IOPCEventSubscriptionMgt::GetReturnedAttributes", "null attribute-id out", E_INVALIDARG, [=] {
    DWORD count = 0;
    return management->GetReturnedAttributes(0xFFFFFFFF, &count, nullptr);
  });
  // NULL out-pointers are refused before the callback object is asked.
  for (const auto& [method, call] : std::initializer_list<std::pair<const char*, std::function<HRESULT()>>>{
           {"GetFilter",
            [=] {
              return management->GetFilter(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                           nullptr);
            }},
           {"GetState", [=] { return management->GetState(nullptr, nullptr, nullptr, nullptr); }},
           {"SetState", [=] { return management->SetState(nullptr, nullptr, nullptr, 0, nullptr, nullptr); }}}) {
    table.Add(std::string("IOPCEventSubscriptionMgt::") + method, "null out-pointers", E_INVALIDARG, call);
  }
  // The built-in callback object answers E_NOTIMPL whatever the arguments.
  const std::pair<const char*, std::function<HRESULT()>> notImplemented[] = {
      {"SetFilter",
       [=] { return management->SetFilter(0xFFFFFFFF, kHugeCount, nullptr, 0, 0, kHugeCount, nullptr, 0, nullptr); }},
      {"SelectReturnedAttributes", [=] { return management->SelectReturnedAttributes(1, kHugeCount, nullptr); }},
      {"Refresh", [=] { return management->Refresh(0xFFFFFFFF); }},
      {"CancelRefresh", [=] { return management->CancelRefresh(0); }},
  };
  for (const auto& [method, call] : notImplemented) {
    table.Add(std::string("IOPCEventSubscriptionMgt::") + method, "null pointers and huge counts", E_NOTIMPL, call);
  }
  table.Add("COPCEventSubscription", "released", 0, [=] {
    subscription->Release();
    return 0;
  });
  table.Run();
}

TEST_F(EventBadInput, EventConnectionPoint) {
  IUnknown* subscription = nullptr;
  ASSERT_EQ(connected.client.CreateEventSubscription(IID_IUnknown, &subscription), S_OK);
  IConnectionPointContainer* container = nullptr;
  ASSERT_EQ(subscription->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)), S_OK);
  TestEventSink sink;
  TestDataCallback notAnEventSink;
  AddConnectionPointRows(table, "OPCEventConnection", container, IID_IOPCEventSink, &sink, &notAnEventSink);
  table.Add("OPCEventConnection container", "released", 0, [=] {
    container->Release();
    return 0;
  });
  table.Run();
}

}  // namespace
