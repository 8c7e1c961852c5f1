#include "da/group/IOPCItemMgtHolder.h"

#include "app/CallBoundary.h"
#include "app/OutPointers.h"
#include "com/PerItemCall.h"
#include "da/group/IOPCItemEnumerator.h"
#include "da/group/ItemHostNotices.h"
#include "da/group/OPCGroup.h"
#include "tags/OPCTag.h"

#include "platform/opcguid.h"
#include "platform/widetext.h"

#include <memory>
#include <new>

IOPCItemMgtHolder::IOPCItemMgtHolder(OPCGroup& owner) : InterfaceHolder(owner, "IOPCItemMgt", "OPCGroup", " ") {}

HRESULT IOPCItemMgtHolder::AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults,
                                    HRESULT** ppErrors) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCItemMgt::AddItems");
    return ResolveItems(dwCount, pItemArray, ppAddResults, ppErrors, true);
  });
}

HRESULT IOPCItemMgtHolder::ValidateItems(DWORD dwCount, OPCITEMDEF* pItemArray, BOOL,
                                         OPCITEMRESULT** ppValidationResults, HRESULT** ppErrors) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCItemMgt::ValidateItems");
    return ResolveItems(dwCount, pItemArray, ppValidationResults, ppErrors, false);
  });
}

HRESULT IOPCItemMgtHolder::ResolveItems(DWORD count, const OPCITEMDEF* definitions, OPCITEMRESULT** results,
                                        HRESULT** errors, bool add) {
  if (!ClearOutPointers(results, errors) || count == 0 || definitions == nullptr) return E_INVALIDARG;
  // Items are added to listed groups only; a removed one may still be validated against.
  if (add ? owner_.Removed() : owner_.Retired()) return E_FAIL;
  TaskArray<OPCITEMRESULT> resultArray(count);
  TaskArray<HRESULT> errorArray(count);
  if (!resultArray || !errorArray) return E_OUTOFMEMORY;
  if (add) owner_.ExpectItems(count);
  // What the host is to hear of each item, sent before the next one is resolved.
  ItemHostNotices notices;
  for (DWORD i = 0; i < count; ++i) {
    // The host's unknown-item callback may run inside: no lock is held.
    if (!add) {
      errorArray[i] = VorlixApp().ValidateItem(definitions[i], &resultArray[i], nullptr, nullptr);
      continue;
    }
    struct Added {
      const OPCITEMDEF& definition;
      OPCITEMRESULT& result;
      ItemHostNotices& notices;
      DWORD rights;
    } added{definitions[i], resultArray[i], notices, 0};
    // The item is made under the same hold of the lock that found its tag
    // (the lambda holds two pointers: no allocation per item).
    Added* const adding = &added;
    errorArray[i] = VorlixApp().ValidateItem(
        definitions[i], &resultArray[i], nullptr, &added.rights,
        [this, adding](OPCTag& tag, const std::string& accessPath, const std::string& itemId) {
          return AddItem(adding->definition, tag, accessPath, itemId, adding->rights, &adding->result,
                         adding->notices);
        });
    notices.Send();
  }
  *results = resultArray.Release();
  *errors = errorArray.Release();
  return PerItemOutcome(*errors, count);
}

HRESULT IOPCItemMgtHolder::AddItem(const OPCITEMDEF& definition, OPCTag& tag, const std::string& accessPath,
                                   const std::string& itemId, DWORD rights, OPCITEMRESULT* result,
                                   ItemHostNotices& notices) {
  *result = OPCITEMRESULT{};
  // The group may have been removed since the call began.
  if (owner_.Removed()) return E_FAIL;
  std::unique_ptr<OPCGroupItem> item(new (std::nothrow) OPCGroupItem);
  if (item == nullptr) return E_OUTOFMEMORY;
  // Named by its full name alone, the item keeps no names of its own: its
  // tag's list of client items keeps that name.
  if (!accessPath.empty()) item->SetNames(itemId, accessPath);
  const HRESULT hr = VariantCopy(&item->value, &tag.live->value);
  if (FAILED(hr)) return hr;
  item->active = definition.bActive;
  item->requestedType = definition.vtRequestedDataType;
  item->clientHandle = definition.hClient;
  item->updateRate = owner_.UpdateRate();
  item->accessRights = static_cast<uint8_t>(rights);
  item->SetInternedUserName(VorlixApp().GetClientUserName(tag.live->writeAccess));
  item->canonicalType = tag.live->value.vt;
  item->quality = tag.live->quality;
  item->timestamp = tag.live->timestamp;
  const OPCGroupItem& added = *item;
  *result = OPCITEMRESULT{owner_.AttachItem(std::move(item), &tag), added.canonicalType, 0, added.accessRights, 0,
                          nullptr};
  notices.ItemAdded(added, tag);
  return S_OK;
}

HRESULT IOPCItemMgtHolder::StartHandleCall(DWORD count, const OPCHANDLE* handles, bool valuesGiven, HRESULT** errors,
                                           TaskArray<HRESULT>& errorArray) const {
  if (!ClearOutPointers(errors) || count == 0 || handles == nullptr || !valuesGiven) return E_INVALIDARG;
  // Every call that starts here changes the group's items.
  if (owner_.Removed()) return E_FAIL;
  errorArray = TaskArray<HRESULT>(count);
  return errorArray ? S_OK : E_OUTOFMEMORY;
}

HRESULT IOPCItemMgtHolder::RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCItemMgt::RemoveItems");
    TaskArray<HRESULT> errorArray;
    const HRESULT hr = StartHandleCall(dwCount, phServer, true, ppErrors, errorArray);
    if (hr != S_OK) return hr;
    owner_.RemoveItems(dwCount, phServer, &errorArray[0]);
    *ppErrors = errorArray.Release();
    return PerItemOutcome(*ppErrors, dwCount);
  });
}

template <class Change>
HRESULT IOPCItemMgtHolder::ChangeItems(DWORD count, const OPCHANDLE* handles, bool valuesGiven, HRESULT** errors,
                                       Change change) {
  TaskArray<HRESULT> errorArray;
  const HRESULT hr = StartHandleCall(count, handles, valuesGiven, errors, errorArray);
  if (hr != S_OK) return hr;
  {
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    for (DWORD i = 0; i < count; ++i) {
      OPCGroupItem* item = owner_.FindItem(handles[i]);
      if (item != nullptr) change(*item, i);
      errorArray[i] = item != nullptr ? S_OK : OPC_E_INVALIDHANDLE;
    }
  }
  *errors = errorArray.Release();
  return PerItemOutcome(*errors, count);
}

HRESULT IOPCItemMgtHolder::SetActiveState(DWORD dwCount, OPCHANDLE* phServer, BOOL bActive, HRESULT** ppErrors) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCItemMgt::SetActiveState");
    return ChangeItems(dwCount, phServer, true, ppErrors, [&](OPCGroupItem& item, DWORD) { item.active = bActive; });
  });
}

HRESULT IOPCItemMgtHolder::SetClientHandles(DWORD dwCount, OPCHANDLE* phServer, OPCHANDLE* phClient,
                                            HRESULT** ppErrors) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCItemMgt::SetClientHandles");
    return ChangeItems(dwCount, phServer, phClient != nullptr, ppErrors,
                       [&](OPCGroupItem& item, DWORD i) { item.clientHandle = phClient[i]; });
  });
}

HRESULT IOPCItemMgtHolder::SetDatatypes(DWORD dwCount, OPCHANDLE* phServer, VARTYPE* pRequestedDatatypes,
                                        HRESULT** ppErrors) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCItemMgt::SetDatatypes");
    return ChangeItems(dwCount, phServer, pRequestedDatatypes != nullptr, ppErrors,
                       [&](OPCGroupItem& item, DWORD i) { item.requestedType = pRequestedDatatypes[i]; });
  });
}

HRESULT IOPCItemMgtHolder::CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCItemMgt::CreateEnumerator");
    if (ppUnk == nullptr) return E_INVALIDARG;
    *ppUnk = nullptr;
    if (riid != IID_IEnumOPCItemAttributes) return E_INVALIDARG;
    if (owner_.Retired()) return E_FAIL;
    auto* enumerator = new (std::nothrow) IOPCItemEnumerator(owner_.CopyItems());
    if (enumerator == nullptr) return E_OUTOFMEMORY;
    enumerator->AddRef();
    *ppUnk = enumerator;
    return S_OK;
  });
}
