#include "da/server/IOPCItemPropertiesHolder.h"

#include "app/CallBoundary.h"
#include "app/OutPointers.h"
#include "app/TaskArray.h"
#include "app/TaskTexts.h"
#include "da/server/OPCServer.h"
#include "tags/OPCTag.h"

#include "platform/widetext.h"

#include <string>
#include <vector>

namespace {

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
    TaskArray<DWORD> ids(count);
    TaskArray<VARTYPE> types(count);
    if (!ids || !types) return E_OUTOFMEMORY;
    std::vector<std::string> descriptions(count);
    for (DWORD i = 0; i < count; ++i) tag->GetPropertyInfo(static_cast<int>(i), &ids[i], &descriptions[i], &types[i]);
    std::vector<const char*> texts;
    texts.reserve(count);
    for (const std::string& description : descriptions) texts.push_back(description.c_str());
    LPWSTR* wideTexts = AllocTaskTexts(texts);
    if (wideTexts == nullptr) return E_OUTOFMEMORY;
    *pdwCount = count;
    *ppPropertyIDs = ids.Release();
    *ppDescriptions = wideTexts;
    *ppvtDataTypes = types.Release();
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
    TaskArray<VARIANT> values(dwCount);
    TaskArray<HRESULT> errors(dwCount);
    if (!values || !errors) return E_OUTOFMEMORY;
    HRESULT result = S_OK;
    for (DWORD i = 0; i < dwCount; ++i) {
      errors[i] = tag->GetPropertyValue(pdwPropertyIDs[i], &values[i]);
      if (FAILED(errors[i])) result = S_FALSE;
    }
    *ppvData = values.Release();
    *ppErrors = errors.Release();
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
    TaskArray<LPWSTR> newIds(dwCount);
    TaskArray<HRESULT> errors(dwCount);
    if (!newIds || !errors) return E_OUTOFMEMORY;
    for (DWORD i = 0; i < dwCount; ++i) {
      const HRESULT probe = ProbeProperty(*tag, pdwPropertyIDs[i]);
      errors[i] = SUCCEEDED(probe) ? E_FAIL : probe;
    }
    *ppszNewItemIDs = newIds.Release();
    *ppErrors = errors.Release();
    return S_FALSE;
  });
}
