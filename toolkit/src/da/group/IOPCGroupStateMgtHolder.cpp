#include "da/group/IOPCGroupStateMgtHolder.h"

#include "app/CallBoundary.h"
#include "app/OutPointers.h"
#include "da/group/OPCGroup.h"
#include "da/group/UpdateRateRevision.h"
#include "da/server/OPCServer.h"

#include "platform/widetext.h"

IOPCGroupStateMgtHolder::IOPCGroupStateMgtHolder(OPCGroup& owner)
    : InterfaceHolder(owner, "IOPCGroupStateMgt", "OPCGroup", " ") {}

HRESULT IOPCGroupStateMgtHolder::GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias,
                                          FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup,
                                          OPCHANDLE* phServerGroup) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCGroupStateMgt::GetState");
    ClearOutPointers(ppName);
    if (owner_.Retired()) return E_FAIL;
    if (pUpdateRate == nullptr || pActive == nullptr || ppName == nullptr || pTimeBias == nullptr ||
        pPercentDeadband == nullptr || pLCID == nullptr || phClientGroup == nullptr || phServerGroup == nullptr) {
      return E_INVALIDARG;
    }
    *ppName = VorlixApp().AllocWideFromAnsi(owner_.Name().c_str(), TRUE);
    if (*ppName == nullptr) return E_OUTOFMEMORY;
    *pUpdateRate = owner_.UpdateRate();
    *pActive = owner_.Active();
    *pTimeBias = owner_.TimeBias();
    *pPercentDeadband = owner_.PercentDeadband();
    *pLCID = owner_.LocaleId();
    *phClientGroup = owner_.ClientHandle();
    *phServerGroup = owner_.ServerHandle();
    return S_OK;
  });
}

HRESULT IOPCGroupStateMgtHolder::SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate, BOOL* pActive,
                                          LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD* pLCID,
                                          OPCHANDLE* phClientGroup) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCGroupStateMgt::SetState");
    if (owner_.Removed()) return E_FAIL;
    HRESULT result = S_OK;
    if (pRequestedUpdateRate != nullptr) {
      const RevisedUpdateRate revised = ReviseUpdateRate(*pRequestedUpdateRate, VorlixApp().ServerRate());
      owner_.SetUpdateRate(revised.rate);
      if (!revised.supported) result = OPC_S_UNSUPPORTEDRATE;
    }
    if (pActive != nullptr) owner_.SetActive(*pActive);
    if (phClientGroup != nullptr) owner_.SetClientHandle(*phClientGroup);
    if (pPercentDeadband != nullptr) owner_.SetPercentDeadband(*pPercentDeadband);
    if (pLCID != nullptr) owner_.SetLocaleId(*pLCID);
    if (pTimeBias != nullptr) owner_.SetTimeBias(*pTimeBias);
    if (pRevisedUpdateRate != nullptr) *pRevisedUpdateRate = owner_.UpdateRate();
    return result;
  });
}

HRESULT IOPCGroupStateMgtHolder::SetName(LPCWSTR szName) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCGroupStateMgt::SetName");
    if (owner_.Removed()) return E_FAIL;
    const std::optional<std::string> name = NarrowAnsi(szName);
    if (!name || name->empty()) return E_INVALIDARG;
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    const OPCServer* server = owner_.Server();
    if (server == nullptr) return E_FAIL;
    if (server->FindGroupByName(*name)) return OPC_E_DUPLICATENAME;
    owner_.SetName(*name);
    return S_OK;
  });
}

HRESULT IOPCGroupStateMgtHolder::CloneGroup(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCGroupStateMgt::CloneGroup");
    if (ppUnk == nullptr) return E_INVALIDARG;
    *ppUnk = nullptr;
    if (owner_.Removed()) return E_FAIL;
    const std::optional<std::string> name = NarrowAnsi(szName);
    if (!name || name->empty()) return E_INVALIDARG;
    OPCGroup::Settings settings = owner_.CurrentSettings();
    settings.name = *name;
    settings.active = FALSE;
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    OPCServer* server = owner_.Server();
    if (server == nullptr) return E_FAIL;
    OPCGroup* clone = nullptr;
    const HRESULT hr = server->CreateGroup(settings, riid, reinterpret_cast<void**>(ppUnk), &clone);
    if (SUCCEEDED(hr)) owner_.CopyItemsTo(*clone);
    return hr;
  });
}
