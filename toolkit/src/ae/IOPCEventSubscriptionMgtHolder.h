// The IOPCEventSubscriptionMgt holder of an event subscription. Filters,
// returned attributes, refreshes and state belong to the AE callback object:
// every method hands the subscription's handle and the client's arguments to it
// (E_NOTIMPL when none is installed) after checking the out-pointers. A
// subscription whose server has gone answers E_FAIL.
#pragma once

#include "ae/COPCEventSubscription.h"
#include "com/InterfaceHolder.h"

#include "platform/IOPCEventSubscriptionMgt.h"

class IOPCEventSubscriptionMgtHolder final : public InterfaceHolder<IOPCEventSubscriptionMgt, COPCEventSubscription> {
 public:
  explicit IOPCEventSubscriptionMgtHolder(COPCEventSubscription& owner);

  HRESULT SetFilter(DWORD dwEventType, DWORD dwNumCategories, DWORD* pdwEventCategories, DWORD dwLowSeverity,
                    DWORD dwHighSeverity, DWORD dwNumAreas, LPWSTR* pszAreaList, DWORD dwNumSources,
                    LPWSTR* pszSourceList) override;
  HRESULT GetFilter(DWORD* pdwEventType, DWORD* pdwNumCategories, DWORD** ppdwEventCategories, DWORD* pdwLowSeverity,
                    DWORD* pdwHighSeverity, DWORD* pdwNumAreas, LPWSTR** ppszAreaList, DWORD* pdwNumSources,
                    LPWSTR** ppszSourceList) override;
  HRESULT SelectReturnedAttributes(DWORD dwEventCategory, DWORD dwCount, DWORD* dwAttributeIDs) override;
  HRESULT GetReturnedAttributes(DWORD dwEventCategory, DWORD* pdwCount, DWORD** ppdwAttributeIDs) override;
  HRESULT Refresh(DWORD dwConnection) override;
  HRESULT CancelRefresh(DWORD dwConnection) override;
  HRESULT GetState(BOOL* pbActive, DWORD* pdwBufferTime, DWORD* pdwMaxSize, OPCHANDLE* phClientSubscription) override;
  // The active flag, buffer time and maximum size are given only where the
  // pointer is not null; the subscription's own values stay as created.
  HRESULT SetState(BOOL* pbActive, DWORD* pdwBufferTime, DWORD* pdwMaxSize, OPCHANDLE hClientSubscription,
                   DWORD* pdwRevisedBufferTime, DWORD* pdwRevisedMaxSize) override;
};
