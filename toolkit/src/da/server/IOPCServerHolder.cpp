#include "da/server/IOPCServerHolder.h"

#include "app/CallBoundary.h"
#include "app/OutPointers.h"
#include "com/IOPCEnumString.h"
#include "da/group/UpdateRateRevision.h"
#include "da/server/OPCGroupEnumerator.h"
#include "da/server/OPCServer.h"

#include "platform/widetext.h"
#include "platform/wintime.h"

#include <ctime>
#include <new>
#include <string>
#include <vector>

namespace {

// Every status reports this in its reserved word.
constexpr WORD kStatusReservedWord = 42;


// The local time zone's offset from UTC in minutes, west positive, as the C
// runtime reports it (standard time). Read once: the runtime's zone data may
// not be re-read while other threads use it.
LONG LocalTimeBias() {
  static const LONG bias = [] {
    tzset();
    return static_cast<LONG>(timezone / 60);
  }();
  return bias;
}

}  // namespace

IOPCServerHolder::IOPCServerHolder(OPCServer& owner) : InterfaceHolder(owner, "IOPCServer", "OPCServer") {}

HRESULT IOPCServerHolder::AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate, OPCHANDLE hClientGroup,
                                   LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD dwLCID, OPCHANDLE* phServerGroup,
                                   DWORD* pRevisedUpdateRate, REFIID riid, LPUNKNOWN* ppUnk) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCServer::AddGroup");
    if (!ClearOutPointers(phServerGroup, pRevisedUpdateRate, ppUnk)) return E_INVALIDARG;

    const std::optional<std::string> name = NarrowAnsi(szName);
    if (!name) return E_INVALIDARG;
    const RevisedUpdateRate revised = ReviseUpdateRate(dwRequestedUpdateRate, VorlixApp().ServerRate());
    OPCGroup::Settings settings;
    settings.name = *name;
    settings.active = bActive;
    settings.updateRate = revised.rate;
    settings.clientHandle = hClientGroup;
    settings.timeBias = pTimeBias != nullptr ? *pTimeBias : LocalTimeBias();
    settings.percentDeadband = pPercentDeadband != nullptr ? *pPercentDeadband : 0.0f;
    settings.localeId = dwLCID;
    OPCGroup* group = nullptr;
    const HRESULT hr = owner_.CreateGroup(settings, riid, reinterpret_cast<void**>(ppUnk), &group);
    if (FAILED(hr)) return hr;
    // The client's reference keeps the group alive here.
    *phServerGroup = group->ServerHandle();
    *pRevisedUpdateRate = revised.rate;
    return revised.supported ? S_OK : OPC_S_UNSUPPORTEDRATE;
  });
}

HRESULT IOPCServerHolder::GetErrorString(HRESULT dwError, LCID, LPWSTR* ppString) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCServer::GetErrorString");
    if (ppString == nullptr) return E_INVALIDARG;
    const CVorlixApp& app = VorlixApp();
    *ppString = app.AllocWideFromAnsi(app.GetErrorText(dwError).c_str(), TRUE);
    return *ppString != nullptr ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT IOPCServerHolder::GetGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCServer::GetGroupByName");
    if (ppUnk == nullptr) return E_INVALIDARG;
    *ppUnk = nullptr;
    if (szName == nullptr) return E_INVALIDARG;
    const std::optional<std::string> name = NarrowAnsi(szName);
    if (!name) return E_INVALIDARG;
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    OPCGroup* group = owner_.GroupNamed(*name);
    return group != nullptr ? group->QueryInterface(riid, reinterpret_cast<void**>(ppUnk)) : E_INVALIDARG;
  });
}

HRESULT IOPCServerHolder::GetStatus(OPCSERVERSTATUS** ppServerStatus) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCServer::GetStatus");
    if (ppServerStatus == nullptr) return E_INVALIDARG;
    *ppServerStatus = nullptr;
    CVorlixApp& app = VorlixApp();
    auto* status = static_cast<OPCSERVERSTATUS*>(app.TaskAlloc(sizeof(OPCSERVERSTATUS)));
    if (status == nullptr) return E_OUTOFMEMORY;
    status->szVendorInfo = app.AllocWideFromAnsi(app.VendorInfo().c_str(), TRUE);
    if (status->szVendorInfo == nullptr) {
      app.TaskFree(status, TRUE);
      return E_OUTOFMEMORY;
    }
    status->ftStartTime = app.StartTime();
    status->ftCurrentTime = NowUtc();
    status->ftLastUpdateTime = owner_.CreationTime();
    status->dwServerState = static_cast<OPCSERVERSTATE>(app.ServerState());
    status->wReserved = kStatusReservedWord;
    *ppServerStatus = status;
    return S_OK;
  });
}

HRESULT IOPCServerHolder::RemoveGroup(OPCHANDLE hServerGroup, BOOL bForce) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCServer::RemoveGroup");
    OPCGroup* group = owner_.UnlistGroup(hServerGroup);
    if (group == nullptr) return E_FAIL;
    const bool stillHeld = group->ReferenceCount() != 0;
    if (stillHeld && bForce) group->Retire();
    group->ReleaseFromList();
    return stillHeld && !bForce ? OPC_S_INUSE : S_OK;
  });
}

HRESULT IOPCServerHolder::CreateGroupEnumerator(OPCENUMSCOPE dwScope, REFIID riid, LPUNKNOWN* ppUnk) {
  // A client may pass any 32-bit value: it is kept as a number, not as the enumeration.
  const DWORD scope = dwScope;
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCServer::CreateGroupEnumerator");
    if (ppUnk == nullptr) return E_INVALIDARG;
    *ppUnk = nullptr;
    if (riid == IID_IEnumUnknown) {
      std::vector<IUnknown*> groups;
      owner_.SnapshotGroups(scope, groups);
      auto* enumerator = new (std::nothrow) OPCGroupEnumerator(&owner_, groups);
      if (enumerator == nullptr) {
        for (IUnknown* group : groups) group->Release();
        return E_OUTOFMEMORY;
      }
      enumerator->AddRef();
      *ppUnk = enumerator;
      return S_OK;
    }
    if (riid == IID_IEnumString) {
      std::vector<std::string> names;
      owner_.SnapshotGroupNames(scope, names);
      auto* enumerator = new (std::nothrow) IOPCEnumString(std::move(names));
      if (enumerator == nullptr) return E_OUTOFMEMORY;
      enumerator->AddRef();
      *ppUnk = enumerator;
      return S_OK;
    }
    return E_NOINTERFACE;
  });
}
