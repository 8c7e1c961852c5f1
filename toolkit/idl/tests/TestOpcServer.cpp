#include "TestOpcServer.h"

#include "ServerLifetime.h"
#include "TestServerIdentity.h"

#include <cstring>
#include <cwchar>

namespace {

// A copy of the text in task memory, which the stub frees once it has sent it.
LPWSTR TaskMemoryCopy(const wchar_t* text) {
  const size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
  if (copy) std::memcpy(copy, text, bytes);
  return copy;
}

HRESULT ErrorText(HRESULT code, LPWSTR* text) {
  if (!text) return E_INVALIDARG;
  *text = nullptr;
  for (const TestErrorText& known : kTestErrorTexts) {
    if (known.code != code) continue;
    *text = TaskMemoryCopy(known.text);
    return *text ? S_OK : E_OUTOFMEMORY;
  }
  return E_INVALIDARG;
}

const TestProperty* FindProperty(DWORD id) {
  for (const TestProperty& property : kTestProperties) {
    if (property.id == id) return &property;
  }
  return nullptr;
}

template <typename T>
T* TaskMemoryArray(size_t count) {
  return static_cast<T*>(CoTaskMemAlloc(count ? count * sizeof(T) : 1));
}

// Frees the arrays handed out so far when a later one cannot be had.
template <typename... Arrays>
void FreeAll(Arrays**... arrays) {
  ((CoTaskMemFree(*arrays), *arrays = nullptr), ...);
}

// The value of a property of every item of the test server.
void PropertyValue(const TestProperty& property, VARIANT* value) {
  VariantInit(value);
  V_VT(value) = property.type;
  switch (property.type) {
    case VT_I2:
      V_I2(value) = VT_R8;
      break;
    case VT_R8:
      V_R8(value) = kTestValue;
      break;
    default:
      V_BSTR(value) = SysAllocString(kTestUnit);
      break;
  }
}

bool SameText(const wchar_t* a, const wchar_t* b) { return (!a && !b) || (a && b && std::wcscmp(a, b) == 0); }

bool SameTime(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

bool SameValue(const VARIANT& value, const TestItemValue& expected) {
  if (V_VT(&value) != expected.type) return false;
  switch (expected.type) {
    case VT_I4:
      return V_I4(&value) == expected.integer;
    case VT_R8:
      return V_R8(&value) == expected.real;
    case VT_BSTR:
      return SameText(V_BSTR(&value), expected.text) &&
             SysStringLen(V_BSTR(&value)) == std::wcslen(expected.text);
    default:
      return false;
  }
}

bool SameEvent(const ONEVENTSTRUCT& event, const TestEvent& expected, DWORD attributeCount,
               const TestItemValue* attributes) {
  if (!SameText(event.szSource, expected.source) || !SameText(event.szMessage, expected.message) ||
      !SameText(event.szConditionName, expected.condition) ||
      !SameText(event.szSubconditionName, expected.subcondition) || !SameText(event.szActorID, expected.actor) ||
      event.dwEventType != expected.type || event.dwEventCategory != expected.category ||
      event.dwSeverity != expected.severity || event.wChangeMask != expected.changeMask ||
      event.wNewState != expected.newState || event.bAckRequired != expected.ackRequired ||
      event.dwCookie != expected.cookie || !SameTime(event.ftTime, expected.time) ||
      event.dwNumEventAttrs != attributeCount) {
    return false;
  }
  if (attributeCount == 0) return event.pEventAttributes == nullptr;
  for (DWORD i = 0; i < attributeCount; ++i) {
    if (!SameValue(event.pEventAttributes[i], attributes[i])) return false;
  }
  return true;
}

}  // namespace

TestOpcServer::TestOpcServer() { ServerLifetime::Acquire(); }

TestOpcServer::~TestOpcServer() { ServerLifetime::Release(); }

HRESULT TestOpcServer::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOPCCommon)) {
    *object = static_cast<IOPCCommon*>(this);
  } else if (IsEqualIID(riid, IID_IOPCServer)) {
    *object = static_cast<IOPCServer*>(this);
  } else if (IsEqualIID(riid, IID_IOPCItemProperties)) {
    *object = static_cast<IOPCItemProperties*>(this);
  } else if (IsEqualIID(riid, IID_IOPCDataCallback)) {
    *object = static_cast<IOPCDataCallback*>(this);
  } else if (IsEqualIID(riid, IID_IOPCEventSink)) {
    *object = static_cast<IOPCEventSink*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG TestOpcServer::AddRef() { return ++references_; }

ULONG TestOpcServer::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT TestOpcServer::SetLocaleID(LCID dwLcid) {
  locale_ = dwLcid;
  return S_OK;
}

HRESULT TestOpcServer::GetLocaleID(LCID* pdwLcid) {
  if (!pdwLcid) return E_INVALIDARG;
  *pdwLcid = locale_;
  return S_OK;
}

HRESULT TestOpcServer::QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) {
  if (!pdwCount || !pdwLcid) return E_INVALIDARG;
  *pdwCount = 0;
  *pdwLcid = static_cast<LCID*>(CoTaskMemAlloc(sizeof(kTestLocales)));
  if (!*pdwLcid) return E_OUTOFMEMORY;
  std::memcpy(*pdwLcid, kTestLocales, sizeof(kTestLocales));
  *pdwCount = ARRAYSIZE(kTestLocales);
  return S_OK;
}

HRESULT TestOpcServer::GetErrorString(HRESULT dwError, LPWSTR* ppString) { return ErrorText(dwError, ppString); }

HRESULT TestOpcServer::SetClientName(LPCWSTR) { return S_OK; }

HRESULT TestOpcServer::AddGroup(LPCWSTR, BOOL, DWORD, OPCHANDLE, LONG*, FLOAT*, DWORD, OPCHANDLE*, DWORD*, REFIID,
                                LPUNKNOWN* ppUnk) {
  if (ppUnk) *ppUnk = nullptr;
  return E_NOTIMPL;
}

HRESULT TestOpcServer::GetErrorString(HRESULT dwError, LCID, LPWSTR* ppString) {
  return ErrorText(dwError, ppString);
}

HRESULT TestOpcServer::GetGroupByName(LPCWSTR, REFIID, LPUNKNOWN* ppUnk) {
  if (ppUnk) *ppUnk = nullptr;
  return E_NOTIMPL;
}

HRESULT TestOpcServer::GetStatus(OPCSERVERSTATUS** ppServerStatus) {
  if (!ppServerStatus) return E_INVALIDARG;
  auto* status = static_cast<OPCSERVERSTATUS*>(CoTaskMemAlloc(sizeof(OPCSERVERSTATUS)));
  *ppServerStatus = status;
  if (!status) return E_OUTOFMEMORY;
  *status = OPCSERVERSTATUS{};
  status->ftStartTime = kTestStartTime;
  status->ftCurrentTime = kTestStartTime;
  status->ftLastUpdateTime = kTestStartTime;
  status->dwServerState = OPC_STATUS_RUNNING;
  status->dwGroupCount = 0;
  status->dwBandWidth = 0xFFFFFFFF;
  status->wMajorVersion = kTestVersion[0];
  status->wMinorVersion = kTestVersion[1];
  status->wBuildNumber = kTestVersion[2];
  status->szVendorInfo = TaskMemoryCopy(kTestVendorInfo);
  return S_OK;
}

HRESULT TestOpcServer::RemoveGroup(OPCHANDLE, BOOL) { return E_NOTIMPL; }

HRESULT TestOpcServer::CreateGroupEnumerator(OPCENUMSCOPE, REFIID, LPUNKNOWN* ppUnk) {
  if (ppUnk) *ppUnk = nullptr;
  return E_NOTIMPL;
}

HRESULT TestOpcServer::QueryAvailableProperties(LPWSTR, DWORD* pdwCount, DWORD** ppPropertyIDs,
                                                LPWSTR** ppDescriptions, VARTYPE** ppvtDataTypes) {
  if (!pdwCount || !ppPropertyIDs || !ppDescriptions || !ppvtDataTypes) return E_INVALIDARG;
  const DWORD count = ARRAYSIZE(kTestProperties);
  *pdwCount = count;
  *ppPropertyIDs = TaskMemoryArray<DWORD>(count);
  *ppDescriptions = TaskMemoryArray<LPWSTR>(count);
  *ppvtDataTypes = TaskMemoryArray<VARTYPE>(count);
  if (!*ppPropertyIDs || !*ppDescriptions || !*ppvtDataTypes) {
    FreeAll(ppPropertyIDs, ppDescriptions, ppvtDataTypes);
    *pdwCount = 0;
    return E_OUTOFMEMORY;
  }
  for (DWORD i = 0; i < count; ++i) {
    (*ppPropertyIDs)[i] = kTestProperties[i].id;
    (*ppDescriptions)[i] = TaskMemoryCopy(kTestProperties[i].description);
    (*ppvtDataTypes)[i] = kTestProperties[i].type;
  }
  return S_OK;
}

HRESULT TestOpcServer::GetItemProperties(LPWSTR, DWORD dwCount, DWORD* pdwPropertyIDs, VARIANT** ppvData,
                                         HRESULT** ppErrors) {
  if (!pdwPropertyIDs || !ppvData || !ppErrors) return E_INVALIDARG;
  *ppvData = TaskMemoryArray<VARIANT>(dwCount);
  *ppErrors = TaskMemoryArray<HRESULT>(dwCount);
  if (!*ppvData || !*ppErrors) {
    FreeAll(ppvData, ppErrors);
    return E_OUTOFMEMORY;
  }
  HRESULT result = S_OK;
  for (DWORD i = 0; i < dwCount; ++i) {
    VariantInit(&(*ppvData)[i]);
    const TestProperty* property = FindProperty(pdwPropertyIDs[i]);
    (*ppErrors)[i] = property ? S_OK : OPC_E_INVALID_PID;
    if (property) {
      PropertyValue(*property, &(*ppvData)[i]);
    } else {
      result = S_FALSE;
    }
  }
  return result;
}

HRESULT TestOpcServer::LookupItemIDs(LPWSTR, DWORD dwCount, DWORD* pdwPropertyIDs, LPWSTR** ppszNewItemIDs,
                                     HRESULT** ppErrors) {
  if (!pdwPropertyIDs || !ppszNewItemIDs || !ppErrors) return E_INVALIDARG;
  *ppszNewItemIDs = TaskMemoryArray<LPWSTR>(dwCount);
  *ppErrors = TaskMemoryArray<HRESULT>(dwCount);
  if (!*ppszNewItemIDs || !*ppErrors) {
    FreeAll(ppszNewItemIDs, ppErrors);
    return E_OUTOFMEMORY;
  }
  HRESULT result = S_OK;
  for (DWORD i = 0; i < dwCount; ++i) {
    const TestProperty* property = FindProperty(pdwPropertyIDs[i]);
    const bool hasItem = property && property->itemId;
    (*ppszNewItemIDs)[i] = hasItem ? TaskMemoryCopy(property->itemId) : nullptr;
    (*ppErrors)[i] = hasItem ? S_OK : OPC_E_INVALID_PID;
    if (!hasItem) result = S_FALSE;
  }
  return result;
}

HRESULT TestOpcServer::OnDataChange(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality,
                                    HRESULT hrMastererror, DWORD dwCount, OPCHANDLE* phClientItems,
                                    VARIANT* pvValues, WORD* pwQualities, FILETIME* pftTimeStamps,
                                    HRESULT* pErrors) {
  if (dwTransid != kTestTransaction || hGroup != kTestGroup || hrMasterquality != S_FALSE ||
      hrMastererror != S_FALSE || dwCount != ARRAYSIZE(kTestItemValues)) {
    return TestMismatchAt(kTestWholeCall);
  }
  for (DWORD i = 0; i < dwCount; ++i) {
    const TestItemValue& expected = kTestItemValues[i];
    if (phClientItems[i] != expected.client || !SameValue(pvValues[i], expected) ||
        pwQualities[i] != expected.quality || !SameTime(pftTimeStamps[i], expected.time) ||
        pErrors[i] != expected.error) {
      return TestMismatchAt(i);
    }
  }
  return S_OK;
}

HRESULT TestOpcServer::OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*,
                                      FILETIME*, HRESULT*) {
  return E_NOTIMPL;
}

HRESULT TestOpcServer::OnWriteComplete(DWORD, OPCHANDLE, HRESULT, DWORD, OPCHANDLE*, HRESULT*) { return E_NOTIMPL; }

HRESULT TestOpcServer::OnCancelComplete(DWORD, OPCHANDLE) { return E_NOTIMPL; }

HRESULT TestOpcServer::OnEvent(OPCHANDLE hClientSubscription, BOOL bRefresh, BOOL bLastRefresh, DWORD dwCount,
                               ONEVENTSTRUCT* pEvents) {
  if (hClientSubscription != kTestSubscription || bRefresh || bLastRefresh || dwCount != ARRAYSIZE(kTestEvents)) {
    return TestMismatchAt(kTestWholeCall);
  }
  for (DWORD i = 0; i < dwCount; ++i) {
    const bool withAttributes = i == 0;
    if (!SameEvent(pEvents[i], kTestEvents[i], withAttributes ? ARRAYSIZE(kTestEventAttributes) : 0,
                   kTestEventAttributes)) {
      return TestMismatchAt(i);
    }
  }
  return S_OK;
}
