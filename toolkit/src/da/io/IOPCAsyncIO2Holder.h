// The group's IOPCAsyncIO2, for Data Access 2.0 clients: reads, writes and
// refreshes queued as transactions whose completions the group's worker sends
// to the client's IOPCDataCallback sink, and the switch for the sink's
// subscription data. Every method but SetEnable and GetEnable first traces
// "IOPCASyncIO2::<method>"; on a group out of its server's list, which no
// worker drains any more, every method answers E_FAIL once its arguments were
// checked. The refresh's source is not used.
#pragma once

#include "com/InterfaceHolder.h"

#include "platform/IOPCAsyncIO2.h"

class OPCGroup;

class IOPCAsyncIO2Holder final : public InterfaceHolder<IOPCAsyncIO2, OPCGroup> {
 public:
  explicit IOPCAsyncIO2Holder(OPCGroup& owner);

  // E_INVALIDARG, then CONNECT_E_NOCONNECTION without a sink, then E_FAIL
  // with the queue full. The request keeps the client's transaction id.
  HRESULT Read(DWORD dwCount, OPCHANDLE* phServer, DWORD dwTransactionID, DWORD* pdwCancelID,
               HRESULT** ppErrors) override;
  // E_INVALIDARG, then E_FAIL with the queue full, then
  // CONNECT_E_NOCONNECTION without a sink. The host is called before the call
  // returns; its results come with OnWriteComplete.
  HRESULT Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, DWORD dwTransactionID,
                DWORD* pdwCancelID, HRESULT** ppErrors) override;
  // E_INVALIDARG for a NULL cancel-id out-pointer, then E_FAIL with the queue
  // full, then CONNECT_E_NOCONNECTION without a sink.
  HRESULT Refresh2(OPCDATASOURCE dwSource, DWORD dwTransactionID, DWORD* pdwCancelID) override;
  // The pending 2.0 request with that cancel id completes with
  // OnCancelComplete; E_FAIL when none is pending.
  HRESULT Cancel2(DWORD dwCancelID) override;
  // Whether subscription data goes to the sink; CONNECT_E_NOCONNECTION
  // without one (GetEnable checks that before its out-pointer).
  HRESULT SetEnable(BOOL bEnable) override;
  HRESULT GetEnable(BOOL* pbEnable) override;

 private:
  // The sink check and E_FAIL for a group removed by force.
  HRESULT SinkState() const;
};
