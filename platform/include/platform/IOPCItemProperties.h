// IOPCItemProperties: the properties of one item, their values and the item
// IDs behind them. Every array handed out comes from the task allocator and
// is the caller's to free. Slots in the published order.
#pragma once

#include "platform/unknown.h"
#include "platform/variant.h"

struct IOPCItemProperties : public IUnknown {
  virtual HRESULT QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount, DWORD** ppPropertyIDs,
                                           LPWSTR** ppDescriptions, VARTYPE** ppvtDataTypes) = 0;
  virtual HRESULT GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, VARIANT** ppvData,
                                    HRESULT** ppErrors) = 0;
  virtual HRESULT LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, LPWSTR** ppszNewItemIDs,
                                HRESULT** ppErrors) = 0;

 protected:
  ~IOPCItemProperties() = default;
};
