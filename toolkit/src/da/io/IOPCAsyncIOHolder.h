// The group's IOPCAsyncIO, for Data Access 1.0 clients: reads, writes and
// refreshes queued as transactions whose results the group's worker sends as
// streams to the IDataObject advise sinks. Every method first traces
// "IOPCASyncIO::<method>"; on a group out of its server's list, which no
// worker drains any more, every method answers E_FAIL once its arguments were
// checked. The connection and source arguments are not used.
#pragma once

#include "com/InterfaceHolder.h"

#include "platform/IOPCAsyncIO.h"

class OPCGroup;

class IOPCAsyncIOHolder final : public InterfaceHolder<IOPCAsyncIO, OPCGroup> {
 public:
  explicit IOPCAsyncIOHolder(OPCGroup& owner);

  // E_INVALIDARG, then CONNECT_E_NOCONNECTION without a data sink, then
  // E_FAIL with the queue full, then E_OUTOFMEMORY.
  HRESULT Read(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD dwNumItems, OPCHANDLE* phServer,
               DWORD* pTransactionID, HRESULT** ppErrors) override;
  // E_INVALIDARG, then E_FAIL with the queue full, then
  // CONNECT_E_NOCONNECTION without a write-complete sink. The host is called
  // before the call returns; the errors report only unknown handles, the
  // write results come with the write-complete stream.
  HRESULT Write(DWORD dwConnection, DWORD dwNumItems, OPCHANDLE* phServer, VARIANT* pItemValues,
                DWORD* pTransactionID, HRESULT** ppErrors) override;
  // E_INVALIDARG for a NULL id out-pointer, then E_FAIL with the queue full,
  // then CONNECT_E_NOCONNECTION without a data sink.
  HRESULT Refresh(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD* pTransactionID) override;
  // The pending 1.0 request with that transaction id sends nothing; E_FAIL
  // when none is pending.
  HRESULT Cancel(DWORD dwTransactionID) override;
};
