// The AE callback class of the host interface with its default answers. Its
// destructor is defined here, so the class's table of virtual operations lives
// in the library, where a host's derived class finds it.
#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "app/OutPointers.h"
#include "app/TaskArray.h"
#include "app/TaskTexts.h"

#include "platform/widetext.h"
#include "platform/wintime.h"

#include <algorithm>
#include <vector>

namespace {

// The built-in event categories, by the event type they belong to.
struct EventCategory {
  DWORD eventType;
  DWORD id;
  const char* description;
};
constexpr EventCategory kCategories[] = {
    {OPC_SIMPLE_EVENT, 1, "System Message"},
    {OPC_CONDITION_EVENT, 2, "Level"},
    {OPC_CONDITION_EVENT, 3, "Discrete"},
};

// The one condition of each built-in category.
struct CategoryCondition {
  DWORD category;
  const char* condition;
};
constexpr CategoryCondition kConditions[] = {
    {1, "Informational Text"},
    {2, "Level Alarm"},
    {3, "Discrete Alarm"},
};

constexpr char kLevelAlarmCondition[] = "Level Alarm";
const std::vector<const char*> kLevelAlarmSubConditions = {"Lo Lo", "Lo", "Hi", "Hi Hi"};

// Hands the texts to the client as a count and a task-allocated array.
HRESULT HandOutTexts(const std::vector<const char*>& texts, DWORD* count, LPWSTR** array) {
  if (count == nullptr || array == nullptr) return E_INVALIDARG;
  *count = 0;
  *array = AllocTaskTexts(texts);
  if (*array == nullptr) return E_OUTOFMEMORY;
  *count = static_cast<DWORD>(texts.size());
  return S_OK;
}

}  // namespace

CLumoAExCallback::~CLumoAExCallback() = default;

HRESULT CLumoAExCallback::GetStatus(OPCEVENTSERVERSTATUS** status, FILETIME lastUpdateTime) {
  if (status == nullptr) return E_INVALIDARG;
  CVorlixApp& app = VorlixApp();
  auto* block = static_cast<OPCEVENTSERVERSTATUS*>(app.TaskAlloc(sizeof(OPCEVENTSERVERSTATUS)));
  LPWSTR vendor = app.AllocWideFromAnsi(app.VendorInfo().c_str(), TRUE);
  if (block == nullptr || vendor == nullptr) {
    app.TaskFree(block, TRUE);
    app.TaskFree(vendor, TRUE);
    *status = nullptr;
    return E_OUTOFMEMORY;
  }
  block->ftStartTime = app.StartTime();
  block->ftCurrentTime = NowUtc();
  block->ftLastUpdateTime = lastUpdateTime;
  block->dwServerState = OPCAE_STATUS_RUNNING;
  block->szVendorInfo = vendor;
  *status = block;
  return S_OK;
}

HRESULT CLumoAExCallback::QueryAvailableFilters(DWORD* filterMask) {
  if (filterMask == nullptr) return E_INVALIDARG;
  *filterMask = 0;
  return S_OK;
}

HRESULT CLumoAExCallback::QueryEventCategories(DWORD eventType, DWORD* count, DWORD** categories,
                                               LPWSTR** descriptions) {
  if (count == nullptr || categories == nullptr || descriptions == nullptr) return E_INVALIDARG;
  std::vector<DWORD> ids;
  std::vector<const char*> texts;
  for (const EventCategory& category : kCategories) {
    if ((eventType & category.eventType) == 0) continue;
    ids.push_back(category.id);
    texts.push_back(category.description);
  }
  TaskArray<DWORD> idArray(ids.size());
  const HRESULT hr = idArray ? HandOutTexts(texts, count, descriptions) : E_OUTOFMEMORY;
  if (FAILED(hr)) {
    ClearOutPointers(count, categories, descriptions);
    return hr;
  }
  std::copy(ids.begin(), ids.end(), idArray.Get());
  *categories = idArray.Release();
  return S_OK;
}

HRESULT CLumoAExCallback::QueryConditionNames(DWORD category, DWORD* count, LPWSTR** names) {
  if (count == nullptr || names == nullptr) return E_INVALIDARG;
  for (const CategoryCondition& entry : kConditions) {
    if (entry.category == category) return HandOutTexts({entry.condition}, count, names);
  }
  *count = 0;
  *names = nullptr;
  return E_INVALIDARG;
}

HRESULT CLumoAExCallback::QuerySubConditionNames(LPWSTR conditionName, DWORD* count, LPWSTR** names) {
  const bool levelAlarm = conditionName != nullptr && NarrowAnsi(conditionName) == kLevelAlarmCondition;
  return HandOutTexts(levelAlarm ? kLevelAlarmSubConditions : std::vector<const char*>(), count, names);
}

HRESULT CLumoAExCallback::QuerySourceConditions(LPWSTR, DWORD*, LPWSTR**) { return E_NOTIMPL; }

HRESULT CLumoAExCallback::QueryEventAttributes(DWORD, DWORD*, DWORD**, LPWSTR**, VARTYPE**) { return E_NOTIMPL; }

HRESULT CLumoAExCallback::TranslateToItemIDs(LPWSTR, DWORD, LPWSTR, LPWSTR, DWORD, DWORD*, LPWSTR**, LPWSTR**,
                                             CLSID**) {
  return E_NOTIMPL;
}

HRESULT CLumoAExCallback::GetConditionState(LPWSTR, LPWSTR, DWORD, DWORD*, OPCCONDITIONSTATE**) { return E_NOTIMPL; }

HRESULT CLumoAExCallback::EnableConditionByArea(DWORD, LPWSTR*) { return E_NOTIMPL; }

HRESULT CLumoAExCallback::EnableConditionBySource(DWORD, LPWSTR*) { return E_NOTIMPL; }

HRESULT CLumoAExCallback::DisableConditionByArea(DWORD, LPWSTR*) { return E_NOTIMPL; }

HRESULT CLumoAExCallback::DisableConditionBySource(DWORD, LPWSTR*) { return E_NOTIMPL; }

HRESULT CLumoAExCallback::AckCondition(DWORD count, LPWSTR, LPWSTR, LPWSTR*, LPWSTR*, FILETIME*, DWORD*,
                                       HRESULT** errors) {
  if (!ClearOutPointers(errors)) return E_INVALIDARG;
  TaskArray<HRESULT> results(count);
  if (!results) return E_OUTOFMEMORY;
  for (DWORD i = 0; i < count; ++i) results[i] = E_INVALIDARG;
  *errors = results.Release();
  return S_FALSE;
}

HRESULT CLumoAExCallback::CreateAreaBrowser(REFIID, LPUNKNOWN*) { return E_NOTIMPL; }

HRESULT CLumoAExCallback::CreateEventSubscription(DWORD, DWORD, DWORD, OPCHANDLE) { return S_OK; }

HRESULT CLumoAExCallback::RemoveEventSubscription(DWORD) { return S_OK; }

HRESULT CLumoAExCallback::SetEventSubscriptionFilter(DWORD, DWORD, DWORD, DWORD*, DWORD, DWORD, DWORD, LPWSTR*,
                                                     DWORD, LPWSTR*) {
  return E_NOTIMPL;
}

HRESULT CLumoAExCallback::GetEventSubscriptionFilter(DWORD, DWORD*, DWORD*, DWORD**, DWORD*, DWORD*, DWORD*,
                                                     LPWSTR**, DWORD*, LPWSTR**) {
  return E_NOTIMPL;
}

HRESULT CLumoAExCallback::SelectEventSubscriptionReturnedAttributes(DWORD, DWORD, DWORD, DWORD*) {
  return E_NOTIMPL;
}

HRESULT CLumoAExCallback::GetEventSubscriptionReturnedAttributes(DWORD, DWORD, DWORD*, DWORD**) { return E_NOTIMPL; }

HRESULT CLumoAExCallback::RefreshEventSubscription(DWORD, DWORD) { return E_NOTIMPL; }

HRESULT CLumoAExCallback::CancelEventSubscriptionRefresh(DWORD, DWORD) { return E_NOTIMPL; }

HRESULT CLumoAExCallback::GetEventSubscriptionState(DWORD, BOOL*, DWORD*, DWORD*, OPCHANDLE*) { return E_NOTIMPL; }

HRESULT CLumoAExCallback::SetEventSubscriptionState(DWORD, BOOL*, DWORD*, DWORD*, OPCHANDLE, DWORD*, DWORD*) {
  return E_NOTIMPL;
}
