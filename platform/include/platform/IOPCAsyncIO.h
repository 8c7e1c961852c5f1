// IOPCAsyncIO: the OPC Data Access 1.0 asynchronous reads, writes and
// refreshes of a group. A call hands back a transaction id at once; the
// results arrive later as streams on the group's IDataObject advise sinks.
// Slots in the published order. The per-item errors are an array from the
// task allocator that the caller frees.
#pragma once

#include "platform/opcda.h"
#include "platform/unknown.h"
#include "platform/variant.h"

struct IOPCAsyncIO : public IUnknown {
  virtual HRESULT Read(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD dwNumItems, OPCHANDLE* phServer,
                       DWORD* pTransactionID, HRESULT** ppErrors) = 0;
  virtual HRESULT Write(DWORD dwConnection, DWORD dwNumItems, OPCHANDLE* phServer, VARIANT* pItemValues,
                        DWORD* pTransactionID, HRESULT** ppErrors) = 0;
  virtual HRESULT Refresh(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD* pTransactionID) = 0;
  virtual HRESULT Cancel(DWORD dwTransactionID) = 0;

 protected:
  ~IOPCAsyncIO() = default;
};
