#include "app/CVorlixApp.h"
#include "da/server/OPCServer.h"
#include "support/OpcTestClient.h"
#include "support/RecordingAECallback.h"
#include "support/RunningServer.h"
#include "support/TraceCapture.h"

#include "platform/IOPCEventServer.h"
#include "platform/IOPCEventSubscriptionMgt.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "platform/widetext.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A client connected to a running server, with the server's IOPCEventServer.
class EventServer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(running_.Started());
    ASSERT_EQ(client_.Connect(), S_OK);
    ASSERT_EQ(client_.Query(IID_IOPCEventServer, &events_), S_OK);
  }

  OPCServer& Server() { return *static_cast<OPCServer*>(client_.Server()); }

  RunningServer running_;
  OpcTestClient client_;
  IOPCEventServer* events_ = nullptr;
};

// The texts of a client's array, which they free as a client does.
std::vector<std::string> TakeTexts(LPWSTR* texts, DWORD count) {
  std::vector<std::string> taken;
  for (DWORD i = 0; i < count; ++i) {
    taken.push_back(NarrowAnsi(texts[i]).value());
    CoTaskMemFree(texts[i]);
  }
  CoTaskMemFree(texts);
  return taken;
}

// While it lives, the library's task allocator fails its n-th allocation.
class FailingTaskAllocator : public IMalloc {
 public:
  explicit FailingTaskAllocator(int failing) : countdown_(failing) {
    AddRef();
    VorlixApp().SetTaskAllocator(this);
  }
  ~FailingTaskAllocator() {
    IMalloc* standard = nullptr;
    CoGetMalloc(MEMCTX_TASK, &standard);
    VorlixApp().SetTaskAllocator(standard);
  }

  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  void* Alloc(SIZE_T cb) override { return --countdown_ == 0 ? nullptr : CoTaskMemAlloc(cb); }
  void* Realloc(void* pv, SIZE_T cb) override { return CoTaskMemRealloc(pv, cb); }
  void Free(void* pv) override { CoTaskMemFree(pv); }
  SIZE_T GetSize(void*) override { return 0; }
  int DidAlloc(void*) override { return -1; }
  void HeapMinimize() override {}

 private:
  int countdown_;
};

ULONGLONG Ticks(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME Now() {
  FILETIME now;
  CoFileTimeNow(&now);
  return now;
}

// The host's object answers QuerySourceConditions; everything else is the library's.
class SourceConditionsCallback : public CLumoAExCallback {
 public:
  HRESULT QuerySourceConditions(LPWSTR source, DWORD* count, LPWSTR** names) override {
    source_ = NarrowAnsi(source).value();
    *count = 0;
    *names = nullptr;
    return S_FALSE;
  }
  std::string source_;
};

}  // namespace

TEST_F(EventServer, TheDefaultObjectAnswersTheBuiltInCategoriesAndConditions) {
  const size_t blocks = TaskMemoryLiveBlocks();
  const struct {
    DWORD eventType;
    std::vector<DWORD> ids;
    std::vector<std::string> descriptions;
  } categories[] = {
      {OPC_SIMPLE_EVENT | OPC_CONDITION_EVENT, {1, 2, 3}, {"System Message", "Level", "Discrete"}},
      {OPC_ALL_EVENTS, {1, 2, 3}, {"System Message", "Level", "Discrete"}},
      {OPC_SIMPLE_EVENT, {1}, {"System Message"}},
      {OPC_CONDITION_EVENT, {2, 3}, {"Level", "Discrete"}},
      {OPC_TRACKING_EVENT, {}, {}},
  };
  for (const auto& expected : categories) {
    DWORD count = 99;
    DWORD* ids = nullptr;
    LPWSTR* descriptions = nullptr;
    ASSERT_EQ(events_->QueryEventCategories(expected.eventType, &count, &ids, &descriptions), S_OK);
    EXPECT_EQ(std::vector<DWORD>(ids, ids + count), expected.ids) << expected.eventType;
    EXPECT_EQ(TakeTexts(descriptions, count), expected.descriptions) << expected.eventType;
    CoTaskMemFree(ids);
  }

  const std::pair<DWORD, const char*> conditions[] = {
      {1, "Informational Text"}, {2, "Level Alarm"}, {3, "Discrete Alarm"}};
  for (const auto& [category, condition] : conditions) {
    DWORD count = 0;
    LPWSTR* names = nullptr;
    ASSERT_EQ(events_->QueryConditionNames(category, &count, &names), S_OK);
    EXPECT_EQ(TakeTexts(names, count), std::vector<std::string>{condition});
  }
  DWORD count = 99;
  LPWSTR* names = nullptr;
  EXPECT_EQ(events_->QueryConditionNames(4, &count, &names), E_INVALIDARG);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(names, nullptr);

  const std::pair<WideString, std::vector<std::string>> subConditions[] = {
      {OLESTR("Level Alarm"), {"Lo Lo", "Lo", "Hi", "Hi Hi"}},
      {OLESTR("level alarm"), {}},
      {OLESTR("Level"), {}},
  };
  for (auto [condition, expected] : subConditions) {
    ASSERT_EQ(events_->QuerySubConditionNames(condition.data(), &count, &names), S_OK);
    EXPECT_EQ(TakeTexts(names, count), expected);
  }

  DWORD filters = 99;
  EXPECT_EQ(events_->QueryAvailableFilters(&filters), S_OK);
  EXPECT_EQ(filters, 0u);
  EXPECT_EQ(TaskMemoryLiveBlocks(), blocks);
}

TEST_F(EventServer, TheDefaultObjectAcknowledgesNothingAndLeavesTheRestUnimplemented) {
  WideString source = OLESTR("Tank");
  WideString condition = OLESTR("Level Alarm");
  LPWSTR sources[] = {source.data(), source.data(), source.data()};
  LPWSTR conditionNames[] = {condition.data(), condition.data(), condition.data()};
  FILETIME activeTimes[3] = {};
  DWORD cookies[] = {1, 2, 3};
  HRESULT* errors = nullptr;
  WideString operatorName = OLESTR("Operator");
  ASSERT_EQ(events_->AckCondition(3, operatorName.data(), operatorName.data(), sources, conditionNames, activeTimes,
                                  cookies, &errors),
            S_FALSE);
  EXPECT_EQ(std::vector<HRESULT>(errors, errors + 3), std::vector<HRESULT>(3, E_INVALIDARG));
  CoTaskMemFree(errors);

  DWORD count = 0;
  LPWSTR* texts = nullptr;
  DWORD* ids = nullptr;
  VARTYPE* types = nullptr;
  CLSID* classIds = nullptr;
  OPCCONDITIONSTATE* state = nullptr;
  IUnknown* browser = nullptr;
  EXPECT_EQ(events_->QuerySourceConditions(source.data(), &count, &texts), E_NOTIMPL);
  EXPECT_EQ(events_->QueryEventAttributes(1, &count, &ids, &texts, &types), E_NOTIMPL);
  EXPECT_EQ(events_->TranslateToItemIDs(source.data(), 2, condition.data(), condition.data(), 1, cookies, &texts,
                                        &texts, &classIds),
            E_NOTIMPL);
  EXPECT_EQ(events_->GetConditionState(source.data(), condition.data(), 1, cookies, &state), E_NOTIMPL);
  EXPECT_EQ(events_->EnableConditionByArea(1, sources), E_NOTIMPL);
  EXPECT_EQ(events_->EnableConditionBySource(1, sources), E_NOTIMPL);
  EXPECT_EQ(events_->DisableConditionByArea(1, sources), E_NOTIMPL);
  EXPECT_EQ(events_->DisableConditionBySource(1, sources), E_NOTIMPL);
  EXPECT_EQ(events_->CreateAreaBrowser(IID_IOPCEventAreaBrowser, &browser), E_NOTIMPL);
  EXPECT_EQ(texts, nullptr);
  EXPECT_EQ(browser, nullptr);
}

TEST_F(EventServer, StatusTellsStartTimeConnectionTimeAndVendor) {
  char vendor[] = "Zelvo \xA8\xA6 AE";  // "Zelvo é AE" in GBK
  SetVarnVendorInfo(vendor);
  const FILETIME before = Now();
  OPCEVENTSERVERSTATUS* status = nullptr;
  ASSERT_EQ(events_->GetStatus(&status), S_OK);
  EXPECT_EQ(Ticks(status->ftStartTime), Ticks(VorlixApp().StartTime()));
  EXPECT_EQ(Ticks(status->ftLastUpdateTime), Ticks(Server().CreationTime()));
  EXPECT_GE(Ticks(status->ftCurrentTime), Ticks(before));
  EXPECT_LE(Ticks(status->ftCurrentTime), Ticks(Now()));
  EXPECT_EQ(status->dwServerState, OPCAE_STATUS_RUNNING);
  EXPECT_EQ(status->wMajorVersion + status->wMinorVersion + status->wBuildNumber, 0);
  EXPECT_EQ(WideString(status->szVendorInfo), OLESTR("Zelvo \u00E9 AE"));
  CoTaskMemFree(status->szVendorInfo);
  CoTaskMemFree(status);
}

TEST_F(EventServer, AnAnswerThatCannotBeAllocatedLeavesNothingBehind) {
  // Each allocation of an answer fails in turn: for the categories the id
  // array, the description array, then each text; for the status the block
  // and the vendor text.
  for (int failing = 1; failing <= 5; ++failing) {
    const size_t blocks = TaskMemoryLiveBlocks();
    FailingTaskAllocator allocator(failing);
    DWORD count = 99;
    DWORD* ids = nullptr;
    LPWSTR* descriptions = nullptr;
    EXPECT_EQ(events_->QueryEventCategories(OPC_ALL_EVENTS, &count, &ids, &descriptions), E_OUTOFMEMORY) << failing;
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(ids, nullptr);
    EXPECT_EQ(descriptions, nullptr);
    EXPECT_EQ(TaskMemoryLiveBlocks(), blocks) << failing;
  }
  for (int failing = 1; failing <= 2; ++failing) {
    const size_t blocks = TaskMemoryLiveBlocks();
    FailingTaskAllocator allocator(failing);
    OPCEVENTSERVERSTATUS* status = nullptr;
    EXPECT_EQ(events_->GetStatus(&status), E_OUTOFMEMORY) << failing;
    EXPECT_EQ(status, nullptr);
    EXPECT_EQ(TaskMemoryLiveBlocks(), blocks) << failing;
  }
}

TEST_F(EventServer, WithoutACallbackObjectOnlySubscriptionsAreAnsweredAndNullOutPointersComeFirst) {
  SetAEServerCallback(FALSE, nullptr);
  DWORD count = 99;
  DWORD* ids = reinterpret_cast<DWORD*>(this);
  LPWSTR* texts = nullptr;
  EXPECT_EQ(events_->QueryEventCategories(OPC_ALL_EVENTS, nullptr, &ids, &texts), E_INVALIDARG);
  EXPECT_EQ(ids, nullptr);  // the out-pointers given are cleared
  EXPECT_EQ(events_->QueryConditionNames(1, &count, nullptr), E_INVALIDARG);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(events_->GetStatus(nullptr), E_INVALIDARG);

  OPCEVENTSERVERSTATUS* status = nullptr;
  WideString name = OLESTR("Level Alarm");
  LPWSTR names[] = {name.data()};
  HRESULT* errors = nullptr;
  EXPECT_EQ(events_->GetStatus(&status), E_NOTIMPL);
  EXPECT_EQ(events_->QueryAvailableFilters(&count), E_NOTIMPL);
  EXPECT_EQ(events_->QueryEventCategories(OPC_ALL_EVENTS, &count, &ids, &texts), E_NOTIMPL);
  EXPECT_EQ(events_->QueryConditionNames(1, &count, &texts), E_NOTIMPL);
  EXPECT_EQ(events_->QuerySubConditionNames(name.data(), &count, &texts), E_NOTIMPL);
  EXPECT_EQ(events_->EnableConditionByArea(1, names), E_NOTIMPL);
  EXPECT_EQ(events_->AckCondition(1, name.data(), name.data(), names, names, nullptr, nullptr, &errors), E_NOTIMPL);
  EXPECT_EQ(errors, nullptr);

  IOPCEventSubscriptionMgt* subscription = nullptr;
  EXPECT_EQ(client_.CreateEventSubscription(IID_IOPCEventSubscriptionMgt, &subscription), S_OK);
  EXPECT_NE(subscription, nullptr);
}

TEST_F(EventServer, AHostObjectThatOverridesOneOperationKeepsTheOtherDefaults) {
  auto* host = new SourceConditionsCallback;
  SetAEServerCallback(FALSE, host);
  WideString source = OLESTR("Boiler");
  DWORD count = 99;
  LPWSTR* names = nullptr;
  EXPECT_EQ(events_->QuerySourceConditions(source.data(), &count, &names), S_FALSE);
  EXPECT_EQ(host->source_, "Boiler");
  ASSERT_EQ(events_->QueryConditionNames(2, &count, &names), S_OK);
  EXPECT_EQ(TakeTexts(names, count), std::vector<std::string>{"Level Alarm"});
  EXPECT_EQ(events_->QueryEventAttributes(2, &count, nullptr, nullptr, nullptr), E_INVALIDARG);
}

TEST_F(EventServer, EveryMethodTracesItsNameAndTheHolderDefersToTheServer) {
  TraceCapture capture;
  IOPCEventServer* again = nullptr;
  ASSERT_EQ(events_->QueryInterface(IID_IOPCEventServer, reinterpret_cast<void**>(&again)), S_OK);
  EXPECT_EQ(again, events_);
  DWORD filters = 0;
  events_->QueryAvailableFilters(&filters);
  events_->EnableConditionBySource(0, nullptr);
  events_->AddRef();
  events_->Release();
  again->Release();
  std::vector<std::string> lines;
  for (const TraceCapture::Line& line : capture.Lines()) lines.push_back(line.text);
  const std::vector<std::string> expected = {
      "IOPCEventServer::QueryInterface()  [defered to OPCServer]",
      "OPCServer::QueryInterface IID_IOPCEventServer",
      "OPCServer::AddRef(3)",
      "IOPCEventServer::QueryAvailableFilters",
      "IOPCEventServer::EnableConditionBySource",
      "IOPCEventServer::AddRef() [defered to OPCServer]",
      "OPCServer::AddRef(4)",
      "IOPCEventServer::Release() [defered to OPCServer]",
      "OPCServer::Release(4)",
      "IOPCEventServer::Release() [defered to OPCServer]",
      "OPCServer::Release(3)",
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(EventServer, ANewSubscriptionReportsNoBufferingAndTheCallbackObjectHearsOfIt) {
  auto* host = new RecordingAECallback;
  SetAEServerCallback(FALSE, host);
  IUnknown* subscription = nullptr;
  DWORD bufferTime = 99;
  DWORD maxSize = 99;
  ASSERT_EQ(events_->CreateEventSubscription(FALSE, 5000, 250, 42, IID_IOPCEventSubscriptionMgt, &subscription,
                                             &bufferTime, &maxSize),
            S_OK);
  EXPECT_EQ(bufferTime, 0u);
  EXPECT_EQ(maxSize, 1u);
  void* management = nullptr;
  ASSERT_EQ(subscription->QueryInterface(IID_IOPCEventSubscriptionMgt, &management), S_OK);
  EXPECT_EQ(management, subscription);  // the interface asked for
  static_cast<IUnknown*>(management)->Release();
  EXPECT_EQ(Server().BroadcastUserMessage("Test", "listed", 1), 1);

  ASSERT_EQ(host->Calls().size(), 1u);
  const std::string created = host->Calls()[0];
  const std::string handle = created.substr(7, created.find(' ', 7) - 7);
  EXPECT_EQ(created, "Create " + handle + " 0 1 42");
  EXPECT_EQ(subscription->Release(), 0u);
  EXPECT_EQ(host->Calls(), (std::vector<std::string>{created, "Remove " + handle}));
  EXPECT_EQ(Server().BroadcastUserMessage("Test", "gone", 1), 0);
}

TEST_F(EventServer, ASubscriptionWithoutTheInterfaceAskedForIsNotKept) {
  auto* host = new RecordingAECallback;
  SetAEServerCallback(FALSE, host);
  IUnknown* subscription = reinterpret_cast<IUnknown*>(this);
  DWORD bufferTime = 99;
  DWORD maxSize = 99;
  EXPECT_EQ(events_->CreateEventSubscription(TRUE, 0, 0, 1, IID_IOPCEventSink, &subscription, &bufferTime, &maxSize),
            E_NOINTERFACE);
  EXPECT_EQ(subscription, nullptr);
  EXPECT_EQ(Server().BroadcastUserMessage("Test", "none", 1), 0);
  EXPECT_TRUE(host->Calls().empty());
  EXPECT_EQ(events_->CreateEventSubscription(TRUE, 0, 0, 1, IID_IUnknown, &subscription, nullptr, &maxSize),
            E_INVALIDARG);
}
