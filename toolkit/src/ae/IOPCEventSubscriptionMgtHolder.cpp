#include "ae/IOPCEventSubscriptionMgtHolder.h"

#include "ae/AECallbackCall.h"
#include "app/CallBoundary.h"
#include "app/OutPointers.h"

namespace {

// The callback object was told that a removed subscription's handle names
// nothing any more, so it never hears that handle again.
template <class Call>
HRESULT Forward(const COPCEventSubscription& subscription, Call call) {
  return subscription.Removed() ? E_FAIL : CallAECallback(call);
}

}  // namespace

IOPCEventSubscriptionMgtHolder::IOPCEventSubscriptionMgtHolder(COPCEventSubscription& owner)
    : InterfaceHolder(owner, "IOPCEventSubscriptionMgt", "OPCEventSubscription", " ") {}

HRESULT IOPCEventSubscriptionMgtHolder::SetFilter(DWORD dwEventType, DWORD dwNumCategories, DWORD* pdwEventCategories,
                                                 DWORD dwLowSeverity, DWORD dwHighSeverity, DWORD dwNumAreas,
                                                 LPWSTR* pszAreaList, DWORD dwNumSources, LPWSTR* pszSourceList) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventSubscriptionMgt::SetFilter");
    return Forward(owner_, [&](CLumoAExCallback& callback) {
      return callback.SetEventSubscriptionFilter(owner_.Handle(), dwEventType, dwNumCategories, pdwEventCategories,
                                                 dwLowSeverity, dwHighSeverity, dwNumAreas, pszAreaList, dwNumSources,
                                                 pszSourceList);
    });
  });
}

HRESULT IOPCEventSubscriptionMgtHolder::GetFilter(DWORD* pdwEventType, DWORD* pdwNumCategories,
                                                 DWORD** ppdwEventCategories, DWORD* pdwLowSeverity,
                                                 DWORD* pdwHighSeverity, DWORD* pdwNumAreas, LPWSTR** ppszAreaList,
                                                 DWORD* pdwNumSources, LPWSTR** ppszSourceList) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventSubscriptionMgt::GetFilter");
    if (!ClearOutPointers(pdwEventType, pdwNumCategories, ppdwEventCategories, pdwLowSeverity, pdwHighSeverity,
                          pdwNumAreas, ppszAreaList, pdwNumSources, ppszSourceList)) {
      return E_INVALIDARG;
    }
    return Forward(owner_, [&](CLumoAExCallback& callback) {
      return callback.GetEventSubscriptionFilter(owner_.Handle(), pdwEventType, pdwNumCategories, ppdwEventCategories,
                                                 pdwLowSeverity, pdwHighSeverity, pdwNumAreas, ppszAreaList,
                                                 pdwNumSources, ppszSourceList);
    });
  });
}

HRESULT IOPCEventSubscriptionMgtHolder::SelectReturnedAttributes(DWORD dwEventCategory, DWORD dwCount,
                                                                DWORD* dwAttributeIDs) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventSubscriptionMgt::SelectReturnedAttributes");
    return Forward(owner_, [&](CLumoAExCallback& callback) {
      return callback.SelectEventSubscriptionReturnedAttributes(owner_.Handle(), dwEventCategory, dwCount,
                                                                dwAttributeIDs);
    });
  });
}

HRESULT IOPCEventSubscriptionMgtHolder::GetReturnedAttributes(DWORD dwEventCategory, DWORD* pdwCount,
                                                             DWORD** ppdwAttributeIDs) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventSubscriptionMgt::GetReturnedAttributes");
    if (!ClearOutPointers(pdwCount, ppdwAttributeIDs)) return E_INVALIDARG;
    return Forward(owner_, [&](CLumoAExCallback& callback) {
      return callback.GetEventSubscriptionReturnedAttributes(owner_.Handle(), dwEventCategory, pdwCount,
                                                             ppdwAttributeIDs);
    });
  });
}

HRESULT IOPCEventSubscriptionMgtHolder::Refresh(DWORD dwConnection) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventSubscriptionMgt::Refresh");
    return Forward(owner_, [&](CLumoAExCallback& callback) {
      return callback.RefreshEventSubscription(owner_.Handle(), dwConnection);
    });
  });
}

HRESULT IOPCEventSubscriptionMgtHolder::CancelRefresh(DWORD dwConnection) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventSubscriptionMgt::CancelRefresh");
    return Forward(owner_, [&](CLumoAExCallback& callback) {
      return callback.CancelEventSubscriptionRefresh(owner_.Handle(), dwConnection);
    });
  });
}

HRESULT IOPCEventSubscriptionMgtHolder::GetState(BOOL* pbActive, DWORD* pdwBufferTime, DWORD* pdwMaxSize,
                                                OPCHANDLE* phClientSubscription) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventSubscriptionMgt::GetState");
    if (!ClearOutPointers(pbActive, pdwBufferTime, pdwMaxSize, phClientSubscription)) return E_INVALIDARG;
    return Forward(owner_, [&](CLumoAExCallback& callback) {
      return callback.GetEventSubscriptionState(owner_.Handle(), pbActive, pdwBufferTime, pdwMaxSize,
                                                phClientSubscription);
    });
  });
}

HRESULT IOPCEventSubscriptionMgtHolder::SetState(BOOL* pbActive, DWORD* pdwBufferTime, DWORD* pdwMaxSize,
                                                OPCHANDLE hClientSubscription, DWORD* pdwRevisedBufferTime,
                                                DWORD* pdwRevisedMaxSize) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCEventSubscriptionMgt::SetState");
    if (!ClearOutPointers(pdwRevisedBufferTime, pdwRevisedMaxSize)) return E_INVALIDARG;
    return Forward(owner_, [&](CLumoAExCallback& callback) {
      return callback.SetEventSubscriptionState(owner_.Handle(), pbActive, pdwBufferTime, pdwMaxSize,
                                                hClientSubscription, pdwRevisedBufferTime, pdwRevisedMaxSize);
    });
  });
}
