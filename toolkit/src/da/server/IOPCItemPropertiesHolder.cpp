#include "da/server/IOPCItemPropertiesHolder.h"

#include "app/CallBoundary.h"
#include "app/OutPointers.h"
#include "da/server/OPCServer.h"
#include "tags/OPCTag.h"

#include "platform/widetext.h"

namespace {

template <class Element>
Element* TaskArray(DWORD count) {
  return static_cast<Element*>(VorlixApp().TaskAlloc(count * sizeof(Element)));
}

// Two arrays of `count` elements each, or neither: E_OUTOFMEMORY.
template <class First, class Second>
HRESULT TaskArrays(DWORD count, First** first, Second** second) {
  *first = TaskArray<First>(count);
  *second = TaskArray<Second>(count);
  if (*first != nullptr && *second != nullptr) return S_OK;
  VorlixApp().TaskFree(*first, TRUE);
  VorlixApp().TaskFree(*second, TRUE);
  *first = nullptr;
  *second = nullptr;
  return E_OUTOFMEMORY;
}

// Frees a task-allocated array of task-allocated texts; NULL entries and a
// NULL array are allowed.
void FreeTexts(LPWSTR* texts, DWORD count) {
  if (texts == nullptr) return;
  for (DWORD i = 0; i < count; ++i) VorlixApp().TaskFree(texts[i], TRUE);
  VorlixApp().TaskFree(texts, TRUE);
}

// Whether the tag has the property; a probe of its value.
HRESULT ProbeProperty(const OPCTag& tag, DWORD id) {
  VARIANT value;
  VariantInit(&value);
  const HRESULT hr = tag.GetPropertyValue(id, &value);
  VariantClear(&value);
  return hr;
}

}  // namespace

IOPCItemPropertiesHolder::IOPCItemPropertiesHolder(OPCServer& server)
    : InterfaceHolder(server, "IOPCItemProperties", "OPCServer", " ") {}

const OPCTag* IOPCItemPropertiesHolder::FindItem(LPWSTR itemId) {
  const std::optional<std::string> name = NarrowAnsi(itemId);
  return name ? VorlixApp().FindTag(std::string(), *name) : nullptr;
}

HRESULT IOPCItemPropertiesHolder::QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount, DWORD** ppPropertyIDs,
                                                      LPWSTR** ppDescriptions, VARTYPE** ppvtDataTypes) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("CIOPCItemProperties::QueryAvailableProperties");
    if (!ClearOutPointers(pdwCount, ppPropertyIDs, ppDescriptions, ppvtDataTypes)) return E_INVALIDARG;
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    const OPCTag* tag = FindItem(szItemID);
    if (tag == nullptr) return OPC_E_UNKNOWNITEMID;
    const DWORD count = static_cast<DWORD>(tag->GetPropertyCount());
    DWORD* ids = TaskArray<DWORD>(count);
    LPWSTR* descriptions = TaskArray<LPWSTR>(count);
    VARTYPE* types = TaskArray<VARTYPE>(count);
    bool complete = ids != nullptr && descriptions != nullptr && types != nullptr;
    for (DWORD i = 0; complete && i < count; ++i) {
      std::string description;
      tag->GetPropertyInfo(static_cast<int>(i), &ids[i], &description, &types[i]);
      descriptions[i] = VorlixApp().AllocWideFromAnsi(description.c_str(), TRUE);
      complete = descriptions[i] != nullptr;
    }
    if (!complete) {
      VorlixApp().TaskFree(ids, TRUE);
      FreeTexts(descriptions, count);
      VorlixApp().TaskFree(types, TRUE);
      return E_OUTOFMEMORY;
    }
    *pdwCount = count;
    *ppPropertyIDs = ids;
    *ppDescriptions = descriptions;
    *ppvtDataTypes = types;
    return S_OK;
  });
}

HRESULT IOPCItemPropertiesHolder::GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                               VARIANT** ppvData, HRESULT** ppErrors) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("CIOPCItemProperties::GetItemProperties");
    if (!ClearOutPointers(ppvData, ppErrors) || (dwCount != 0 && pdwPropertyIDs == nullptr)) return E_INVALIDARG;
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    const OPCTag* tag = FindItem(szItemID);
    if (tag == nullptr) return OPC_E_UNKNOWNITEMID;
    VARIANT* values = nullptr;
    HRESULT* errors = nullptr;
    if (FAILED(TaskArrays(dwCount, &values, &errors))) return E_OUTOFMEMORY;
    HRESULT result = S_OK;
    for (DWORD i = 0; i < dwCount; ++i) {
      errors[i] = tag->GetPropertyValue(pdwPropertyIDs[i], &values[i]);
      if (FAILED(errors[i])) result = S_FALSE;
    }
    *ppvData = values;
    *ppErrors = errors;
    return result;
  });
}

HRESULT IOPCItemPropertiesHolder::LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                           LPWSTR** ppszNewItemIDs, HRESULT** ppErrors) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("CIOPCItemProperties::LookupItemIDs");
    if (!ClearOutPointers(ppszNewItemIDs, ppErrors) || dwCount == 0 || pdwPropertyIDs == nullptr) return E_INVALIDARG;
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    const OPCTag* tag = FindItem(szItemID);
    if (tag == nullptr) return OPC_E_UNKNOWNITEMID;
    LPWSTR* newIds = nullptr;
    HRESULT* errors = nullptr;
    if (FAILED(TaskArrays(dwCount, &newIds, &errors))) return E_OUTOFMEMORY;
    for (DWORD i = 0; i < dwCount; ++i) {
      const HRESULT probe = ProbeProperty(*tag, pdwPropertyIDs[i]);
      errors[i] = SUCCEEDED(probe) ? E_FAIL : probe;
    }
    *ppszNewItemIDs = newIds;
    *ppErrors = errors;
    return S_FALSE;
  });
}
