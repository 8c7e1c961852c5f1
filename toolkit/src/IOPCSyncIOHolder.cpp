#include "IOPCSyncIOHolder.h"

#include "CallBoundary.h"
#include "OPCGroup.h"
#include "OPCTag.h"
#include "PerItemCall.h"

#include <string>
#include <vector>

namespace {

void Trace(const char* text) { VorlixApp().TraceMessage(text); }

// One item of a write between its check under the lock and the host's answer.
struct PendingWrite {
  PendingWrite() {
    VariantInit(&value);
    VariantInit(&previousValue);
  }
  ~PendingWrite() {
    VariantClear(&value);
    VariantClear(&previousValue);
  }
  PendingWrite(const PendingWrite&) = delete;
  PendingWrite& operator=(const PendingWrite&) = delete;

  OPCHANDLE serverHandle = 0;
  std::string tagName;
  std::string userName;
  // The client's value, converted as the item's check converts it.
  VARIANT value;
  // What the item held before the check stored the value.
  VARIANT previousValue;
  WORD previousQuality = 0;
  BOOL previousChanged = FALSE;
  FILETIME timestamp = {0, 0};
};

bool SameTime(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

}  // namespace

IOPCSyncIOHolder::IOPCSyncIOHolder(OPCGroup& owner) : InterfaceHolder(owner, "IOPCSyncIO", "OPCGroup", " ") {}

HRESULT IOPCSyncIOHolder::Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer,
                               OPCITEMSTATE** ppItemValues, HRESULT** ppErrors) {
  Trace("IOPCSyncIO::Read");
  return AnswerComCall([&]() -> HRESULT {
    if (ppItemValues != nullptr) *ppItemValues = nullptr;
    if (ppErrors != nullptr) *ppErrors = nullptr;
    if (dwCount == 0 || phServer == nullptr || ppItemValues == nullptr || ppErrors == nullptr) return E_INVALIDARG;
    if (dwSource != OPC_DS_CACHE && dwSource != OPC_DS_DEVICE) return E_INVALIDARG;
    if (owner_.Retired()) return E_FAIL;
    CVorlixApp& app = VorlixApp();
    auto* errors = AllocPerItem<HRESULT>(dwCount);
    if (errors == nullptr) return E_OUTOFMEMORY;
    auto* states = AllocPerItem<OPCITEMSTATE>(dwCount);
    if (states == nullptr) {
      app.TaskFree(errors, TRUE);
      return E_OUTOFMEMORY;
    }
    // Read once: the host may switch it off meanwhile.
    const READDEVICEPROC deviceRead = dwSource == OPC_DS_DEVICE ? app.DeviceReadProc().Get() : nullptr;
    for (DWORD i = 0; i < dwCount; ++i) {
      errors[i] = deviceRead != nullptr ? ReadFromDevice(deviceRead, phServer[i], states[i])
                                        : ReadFromCache(phServer[i], states[i]);
    }
    *ppItemValues = states;
    *ppErrors = errors;
    return PerItemOutcome(errors, dwCount);
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
    const OPCTag* tag = app.FindTag(std::string(), item->fullName);
    // The tag went after the item was added: there is nothing to ask the host about.
    if (tag == nullptr || !tag->HasHandle()) {
      state.wQuality = OPC_QUALITY_BAD;
      return OPC_E_INVALIDHANDLE;
    }
    tagHandle = tag->handle;
    requested = item->requestedType;
  }
  deviceRead(tagHandle, &state.vDataValue, &state.wQuality, &state.ftTimeStamp);
  return OPCGroupItem::ConvertToRequested(&state.vDataValue, requested, &state.wQuality);
}

HRESULT IOPCSyncIOHolder::Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, HRESULT** ppErrors) {
  Trace("IOPCSyncIO::Write");
  return AnswerComCall([&]() -> HRESULT {
    if (ppErrors != nullptr) *ppErrors = nullptr;
    if (dwCount == 0 || phServer == nullptr || pItemValues == nullptr || ppErrors == nullptr) return E_INVALIDARG;
    if (owner_.Retired()) return E_FAIL;
    CVorlixApp& app = VorlixApp();
    auto* errors = AllocPerItem<HRESULT>(dwCount);
    if (errors == nullptr) return E_OUTOFMEMORY;

    std::vector<PendingWrite> writes(dwCount);
    {
      ServerLock::Hold hold(app.GetServerLock());
      for (DWORD i = 0; i < dwCount; ++i) {
        OPCGroupItem* item = owner_.FindItem(phServer[i]);
        if (item == nullptr) {
          errors[i] = OPC_E_INVALIDHANDLE;
          continue;
        }
        PendingWrite& write = writes[i];
        errors[i] = VariantCopy(&write.value, &pItemValues[i]);
        if (SUCCEEDED(errors[i])) errors[i] = VariantCopy(&write.previousValue, &item->value);
        if (FAILED(errors[i])) continue;
        write.serverHandle = item->serverHandle;
        write.tagName = item->fullName;
        write.userName = item->userName;
        write.previousQuality = item->quality;
        write.previousChanged = item->changed;
        write.timestamp = item->timestamp;
        errors[i] = item->CheckWrite(&write.value);
      }
    }
    for (DWORD i = 0; i < dwCount; ++i) {
      if (errors[i] != S_OK) continue;
      PendingWrite& write = writes[i];
      errors[i] = app.ClientWrite(write.userName.c_str(), write.tagName, &write.value);
      if (errors[i] == S_OK) continue;
      // The host refused the value: no subscription may report it. An update
      // that reached the item since (a new timestamp) stays.
      ServerLock::Hold hold(app.GetServerLock());
      OPCGroupItem* item = owner_.FindItem(write.serverHandle);
      if (item == nullptr || !SameTime(item->timestamp, write.timestamp)) continue;
      if (FAILED(VariantCopy(&item->value, &write.previousValue))) continue;
      item->quality = write.previousQuality;
      item->changed = write.previousChanged;
    }
    *ppErrors = errors;
    return PerItemOutcome(errors, dwCount);
  });
}
