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

}  // namespace

TestOpcServer::TestOpcServer() { ServerLifetime::Acquire(); }

TestOpcServer::~TestOpcServer() { ServerLifetime::Release(); }

HRESULT TestOpcServer::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOPCCommon)) {
    *object = static_cast<IOPCCommon*>(this);
  } else if (IsEqualIID(riid, IID_IOPCServer)) {
    *object = static_cast<IOPCServer*>(this);
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
