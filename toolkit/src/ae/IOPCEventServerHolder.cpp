#include "ae/IOPCEventServerHolder.h"

#include "ae/AECallbackCall.h"
#include "ae/COPCEventSubscription.h"
#include "app/CallBoundary.h"
#include "app/OutPointers.h"

namespace {

// What a new subscription reports: events are not buffered, and go one at a time.
constexpr DWORD kRevisedBufferTime = 0;
constexpr DWORD kRevisedMaxSize = 1;

}  // namespace

IOPCEventServerHolder::IOPCEventServerHolder(OPCServer& owner)
    : InterfaceHolder(owner, "IOPCEventServer", "OPCServer") {}

HRESULT IOPCEventServerHolder::GetStatus(OPCEVENTSERVERSTATUS** ppEventServerStatus) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::GetStatus");
    if (!ClearOutPointers(ppEventServerStatus)) return E_INVALIDARG;
    const FILETIME connected = owner_.CreationTime();
    return CallAECallback(
        [&](CLumoAExCallback& callback) { return callback.GetStatus(ppEventServerStatus, connected); });
  });
}

HRESULT IOPCEventServerHolder::CreateEventSubscription(BOOL, DWORD, DWORD, OPCHANDLE hClientSubscription,
                                                      REFIID riid, LPUNKNOWN* ppUnk, DWORD* pdwRevisedBufferTime,
                                                      DWORD* pdwRevisedMaxSize) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::CreateEventSubscription");
    if (!ClearOutPointers(ppUnk, pdwRevisedBufferTime, pdwRevisedMaxSize)) return E_INVALIDARG;
    DWORD subscription = 0;
    const HRESULT hr = COPCEventSubscription::Create(owner_, hClientSubscription, riid,
                                                     reinterpret_cast<void**>(ppUnk), &subscription);
    if (FAILED(hr)) return hr;
    *pdwRevisedBufferTime = kRevisedBufferTime;
    *pdwRevisedMaxSize = kRevisedMaxSize;
    CallAECallback([&](CLumoAExCallback& callback) {
      return callback.CreateEventSubscription(subscription, kRevisedBufferTime, kRevisedMaxSize, hClientSubscription);
    });
    return S_OK;
  });
}

HRESULT IOPCEventServerHolder::QueryAvailableFilters(DWORD* pdwFilterMask) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::QueryAvailableFilters");
    if (!ClearOutPointers(pdwFilterMask)) return E_INVALIDARG;
    return CallAECallback([&](CLumoAExCallback& callback) { return callback.QueryAvailableFilters(pdwFilterMask); });
  });
}

HRESULT IOPCEventServerHolder::QueryEventCategories(DWORD dwEventType, DWORD* pdwCount, DWORD** ppdwEventCategories,
                                                   LPWSTR** ppszEventCategoryDescs) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::QueryEventCategories");
    if (!ClearOutPointers(pdwCount, ppdwEventCategories, ppszEventCategoryDescs)) return E_INVALIDARG;
    return CallAECallback([&](CLumoAExCallback& callback) {
      return callback.QueryEventCategories(dwEventType, pdwCount, ppdwEventCategories, ppszEventCategoryDescs);
    });
  });
}

HRESULT IOPCEventServerHolder::QueryConditionNames(DWORD dwEventCategory, DWORD* pdwCount,
                                                  LPWSTR** ppszConditionNames) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::QueryConditionNames");
    if (!ClearOutPointers(pdwCount, ppszConditionNames)) return E_INVALIDARG;
    return CallAECallback([&](CLumoAExCallback& callback) {
      return callback.QueryConditionNames(dwEventCategory, pdwCount, ppszConditionNames);
    });
  });
}

HRESULT IOPCEventServerHolder::QuerySubConditionNames(LPWSTR szConditionName, DWORD* pdwCount,
                                                     LPWSTR** ppszSubConditionNames) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::QuerySubConditionNames");
    if (!ClearOutPointers(pdwCount, ppszSubConditionNames)) return E_INVALIDARG;
    return CallAECallback([&](CLumoAExCallback& callback) {
      return callback.QuerySubConditionNames(szConditionName, pdwCount, ppszSubConditionNames);
    });
  });
}

HRESULT IOPCEventServerHolder::QuerySourceConditions(LPWSTR szSource, DWORD* pdwCount, LPWSTR** ppszConditionNames) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::QuerySourceConditions");
    if (!ClearOutPointers(pdwCount, ppszConditionNames)) return E_INVALIDARG;
    return CallAECallback([&](CLumoAExCallback& callback) {
      return callback.QuerySourceConditions(szSource, pdwCount, ppszConditionNames);
    });
  });
}

HRESULT IOPCEventServerHolder::QueryEventAttributes(DWORD dwEventCategory, DWORD* pdwCount, DWORD** ppdwAttrIDs,
                                                   LPWSTR** ppszAttrDescs, VARTYPE** ppvtAttrTypes) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::QueryEventAttributes");
    if (!ClearOutPointers(pdwCount, ppdwAttrIDs, ppszAttrDescs, ppvtAttrTypes)) return E_INVALIDARG;
    return CallAECallback([&](CLumoAExCallback& callback) {
      return callback.QueryEventAttributes(dwEventCategory, pdwCount, ppdwAttrIDs, ppszAttrDescs, ppvtAttrTypes);
    });
  });
}

HRESULT IOPCEventServerHolder::TranslateToItemIDs(LPWSTR szSource, DWORD dwEventCategory, LPWSTR szConditionName,
                                                 LPWSTR szSubconditionName, DWORD dwCount, DWORD* pdwAssocAttrIDs,
                                                 LPWSTR** ppszAttrItemIDs, LPWSTR** ppszNodeNames,
                                                 CLSID** ppCLSIDs) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::TranslateToItemIDs");
    if (!ClearOutPointers(ppszAttrItemIDs, ppszNodeNames, ppCLSIDs)) return E_INVALIDARG;
    return CallAECallback([&](CLumoAExCallback& callback) {
      return callback.TranslateToItemIDs(szSource, dwEventCategory, szConditionName, szSubconditionName, dwCount,
                                         pdwAssocAttrIDs, ppszAttrItemIDs, ppszNodeNames, ppCLSIDs);
    });
  });
}

HRESULT IOPCEventServerHolder::GetConditionState(LPWSTR szSource, LPWSTR szConditionName, DWORD dwNumEventAttrs,
                                                DWORD* pdwAttributeIDs, OPCCONDITIONSTATE** ppConditionState) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::GetConditionState");
    if (!ClearOutPointers(ppConditionState)) return E_INVALIDARG;
    return CallAECallback([&](CLumoAExCallback& callback) {
      return callback.GetConditionState(szSource, szConditionName, dwNumEventAttrs, pdwAttributeIDs, ppConditionState);
    });
  });
}

HRESULT IOPCEventServerHolder::EnableConditionByArea(DWORD dwNumAreas, LPWSTR* pszAreas) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::EnableConditionByArea");
    return CallAECallback(
        [&](CLumoAExCallback& callback) { return callback.EnableConditionByArea(dwNumAreas, pszAreas); });
  });
}

HRESULT IOPCEventServerHolder::EnableConditionBySource(DWORD dwNumSources, LPWSTR* pszSources) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::EnableConditionBySource");
    return CallAECallback(
        [&](CLumoAExCallback& callback) { return callback.EnableConditionBySource(dwNumSources, pszSources); });
  });
}

HRESULT IOPCEventServerHolder::DisableConditionByArea(DWORD dwNumAreas, LPWSTR* pszAreas) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::DisableConditionByArea");
    return CallAECallback(
        [&](CLumoAExCallback& callback) { return callback.DisableConditionByArea(dwNumAreas, pszAreas); });
  });
}

HRESULT IOPCEventServerHolder::DisableConditionBySource(DWORD dwNumSources, LPWSTR* pszSources) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::DisableConditionBySource");
    return CallAECallback(
        [&](CLumoAExCallback& callback) { return callback.DisableConditionBySource(dwNumSources, pszSources); });
  });
}

HRESULT IOPCEventServerHolder::AckCondition(DWORD dwCount, LPWSTR szAcknowledgerID, LPWSTR szComment,
                                           LPWSTR* pszSource, LPWSTR* pszConditionName, FILETIME* pftActiveTime,
                                           DWORD* pdwCookie, HRESULT** ppErrors) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::AckCondition");
    if (!ClearOutPointers(ppErrors)) return E_INVALIDARG;
    return CallAECallback([&](CLumoAExCallback& callback) {
      return callback.AckCondition(dwCount, szAcknowledgerID, szComment, pszSource, pszConditionName, pftActiveTime,
                                   pdwCookie, ppErrors);
    });
  });
}

HRESULT IOPCEventServerHolder::CreateAreaBrowser(REFIID riid, LPUNKNOWN* ppUnk) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventServer::CreateAreaBrowser");
    if (!ClearOutPointers(ppUnk)) return E_INVALIDARG;
    return CallAECallback([&](CLumoAExCallback& callback) { return callback.CreateAreaBrowser(riid, ppUnk); });
  });
}
