// IOPCAsyncIO2: the OPC Data Access 2.0 asynchronous reads, writes and
// refreshes of a group. The client names its own transaction id and gets a
// cancel id back; the completions arrive on its IOPCDataCallback sink. Slots
// in the published order. The per-item errors are an array from the task
// allocator that the caller frees.
#pragma once

#include "platform/IOPCAsyncIO.h"

struct IOPCAsyncIO2 : public IUnknown {
  virtual HRESULT Read(DWORD dwCount, OPCHANDLE* phServer, DWORD dwTransactionID, DWORD* pdwCancelID,
                       HRESULT** ppErrors) = 0;
  virtual HRESULT Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, DWORD dwTransactionID,
                        DWORD* pdwCancelID, HRESULT** ppErrors) = 0;
  virtual HRESULT Refresh2(OPCDATASOURCE dwSource, DWORD dwTransactionID, DWORD* pdwCancelID) = 0;
  virtual HRESULT Cancel2(DWORD dwCancelID) = 0;
  virtual HRESULT SetEnable(BOOL bEnable) = 0;
  virtual HRESULT GetEnable(BOOL* pbEnable) = 0;

 protected:
  ~IOPCAsyncIO2() = default;
};
