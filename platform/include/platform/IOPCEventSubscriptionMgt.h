// The management interface of an OPC Alarms and Events subscription, in its
// published slot order.
#pragma once

#include "platform/opcda.h"
#include "platform/unknown.h"

struct IOPCEventSubscriptionMgt : public IUnknown {
  virtual HRESULT SetFilter(DWORD dwEventType, DWORD dwNumCategories, DWORD* pdwEventCategories, DWORD dwLowSeverity,
                            DWORD dwHighSeverity, DWORD dwNumAreas, LPWSTR* pszAreaList, DWORD dwNumSources,
                            LPWSTR* pszSourceList) = 0;
  virtual HRESULT GetFilter(DWORD* pdwEventType, DWORD* pdwNumCategories, DWORD** ppdwEventCategories,
                            DWORD* pdwLowSeverity, DWORD* pdwHighSeverity, DWORD* pdwNumAreas, LPWSTR** ppszAreaList,
                            DWORD* pdwNumSources, LPWSTR** ppszSourceList) = 0;
  virtual HRESULT SelectReturnedAttributes(DWORD dwEventCategory, DWORD dwCount, DWORD* dwAttributeIDs) = 0;
  virtual HRESULT GetReturnedAttributes(DWORD dwEventCategory, DWORD* pdwCount, DWORD** ppdwAttributeIDs) = 0;
  virtual HRESULT Refresh(DWORD dwConnection) = 0;
  virtual HRESULT CancelRefresh(DWORD dwConnection) = 0;
  virtual HRESULT GetState(BOOL* pbActive, DWORD* pdwBufferTime, DWORD* pdwMaxSize,
                           OPCHANDLE* phClientSubscription) = 0;
  virtual HRESULT SetState(BOOL* pbActive, DWORD* pdwBufferTime, DWORD* pdwMaxSize, OPCHANDLE hClientSubscription,
                           DWORD* pdwRevisedBufferTime, DWORD* pdwRevisedMaxSize) = 0;

 protected:
  ~IOPCEventSubscriptionMgt() = default;
};
