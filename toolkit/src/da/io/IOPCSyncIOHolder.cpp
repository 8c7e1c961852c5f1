#include "da/io/IOPCSyncIOHolder.h"

#include "app/CallBoundary.h"
#include "app/OutPointers.h"
#include "com/PerItemCall.h"
#include "da/group/OPCGroup.h"
#include "da/io/GroupItemWrites.h"
#include "tags/OPCTag.h"

#include <string>
#include <vector>

IOPCSyncIOHolder::IOPCSyncIOHolder(OPCGroup& owner) : InterfaceHolder(owner, "IOPCSyncIO", "OPCGroup", " ") {}

HRESULT IOPCSyncIOHolder::Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer,
                               OPCITEMSTATE** ppItemValues, HRESULT** ppErrors) {
  VorlixApp().TraceMessage("IOPCSyncIO::Read");
  return AnswerComCall([&]() -> HRESULT {
    if (!ClearOutPointers(ppItemValues, ppErrors) || dwCount == 0 || phServer == nullptr) return E_INVALIDARG;
    if (dwSource != OPC_DS_CACHE && dwSource != OPC_DS_DEVICE) return E_INVALIDARG;
    if (owner_.Retired()) return E_FAIL;
    TaskArray<HRESULT> errors(dwCount);
    if (!errors) return E_OUTOFMEMORY;
    TaskArray<OPCITEMSTATE> states(dwCount);
    if (!states) return E_OUTOFMEMORY;
    // Read once: the host may switch it off meanwhile.
    const READDEVICEPROC deviceRead = dwSource == OPC_DS_DEVICE ? VorlixApp().DeviceReadProc().Get() : nullptr;
    for (DWORD i = 0; i < dwCount; ++i) {
      errors[i] = deviceRead != nullptr ? ReadFromDevice(deviceRead, phServer[i], states[i])
                                        : ReadFromCache(phServer[i], states[i]);
    }
    *ppItemValues = states.Release();
    *ppErrors = errors.Release();
    return PerItemOutcome(*ppErrors, dwCount);
  });
}

HRESULT IOPCSyncIOHolder::ReadFromCache(OPCHANDLE serverHandle, OPCITEMSTATE& state) const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  const OPCGroupItem* item = owner_.FindItem(serverHandle);
  if (item == nullptr) return OPC_E_INVALIDHANDLE;
  state.hClient = item->clientHandle;
  const HRESULT hr = item->ReadCached(&state.vDataValue, &state.wQuality, &state.ftTimeStamp);
  if (!owner_.Active() || !item->active) state.wQuality = OPC_QUALITY_OUT_OF_SERVICE;
  return hr;
}

HRESULT IOPCSyncIOHolder::ReadFromDevice(READDEVICEPROC deviceRead, OPCHANDLE serverHandle,
                                         OPCITEMSTATE& state) const {
  CVorlixApp& app = VorlixApp();
  DWORD tagHandle = 0;
  VARTYPE requested = VT_EMPTY;
  {
    ServerLock::Hold hold(app.GetServerLock());
    const OPCGroupItem* item = owner_.FindItem(serverHandle);
    if (item == nullptr) return OPC_E_INVALIDHANDLE;
    state.hClient = item->clientHandle;
    if ((item->accessRights & OPC_READABLE) == 0) return OPC_E_BADRIGHTS;
    const OPCTag* tag = app.FindTag(std::string(), item->FullName());
    // The tag went after the item was added: there is nothing to ask the host about.
    if (tag == nullptr || !tag->HasHandle()) {
      state.wQuality = OPC_QUALITY_BAD;
      return OPC_E_INVALIDHANDLE;
    }
    tagHandle = tag->live->handle;
    requested = item->requestedType;
  }
  deviceRead(tagHandle, &state.vDataValue, &state.wQuality, &state.ftTimeStamp);
  return OPCGroupItem::ConvertToRequested(&state.vDataValue, requested, &state.wQuality);
}

HRESULT IOPCSyncIOHolder::Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, HRESULT** ppErrors) {
  VorlixApp().TraceMessage("IOPCSyncIO::Write");
  return AnswerComCall([&]() -> HRESULT {
    if (!ClearOutPointers(ppErrors) || dwCount == 0 || phServer == nullptr || pItemValues == nullptr) {
      return E_INVALIDARG;
    }
    if (owner_.Retired()) return E_FAIL;
    CVorlixApp& app = VorlixApp();
    TaskArray<HRESULT> errors(dwCount);
    if (!errors) return E_OUTOFMEMORY;

    GroupItemWrites writes(owner_);
    // The position in the call of each item that was checked, in check order.
    std::vector<DWORD> checked;
    {
      ServerLock::Hold hold(app.GetServerLock());
      for (DWORD i = 0; i < dwCount; ++i) {
        OPCGroupItem* item = owner_.FindItem(phServer[i]);
        if (item == nullptr) {
          errors[i] = OPC_E_INVALIDHANDLE;
          continue;
        }
        writes.Check(*item, pItemValues[i]);
        checked.push_back(i);
      }
    }
    const std::vector<HRESULT> results = writes.Perform();
    for (size_t k = 0; k < checked.size(); ++k) errors[checked[k]] = results[k];
    *ppErrors = errors.Release();
    return PerItemOutcome(*ppErrors, dwCount);
  });
}
