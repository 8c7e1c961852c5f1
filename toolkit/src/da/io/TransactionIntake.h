// Turns a group's asynchronous request, once its arguments, sinks and room
// were checked, into an OPCTransaction at the end of the group's queue: the
// ids are handed out, the server handles looked up and, for a write, the
// values checked and given to the host at once. Shared by the Data Access 1.0
// and 2.0 interfaces, which differ in the order of their checks and in where
// the result goes.
//
// Handles no item of the group has get OPC_E_INVALIDHANDLE in the errors and
// the call answers S_FALSE; the others are queued and complete as usual. A
// request naming no valid handle is not queued at all: a 1.0 one answers
// OPC_E_INVALIDHANDLE and hands nothing out, a 2.0 one answers S_FALSE with
// its errors and no cancel id.
#pragma once

#include "da/io/OPCTransaction.h"

#include "platform/variant.h"

class OPCGroup;

class TransactionIntake {
 public:
  TransactionIntake(OPCGroup& group, OPCTransaction::Path path) : group_(group), path_(path) {}

  // A read (no values) or a write of the items with these server handles.
  // `clientTransactionId` is a 2.0 client's own id (unused on the 1.0 path).
  // `idOut` gets the id that cancels the request: the transaction id on the
  // 1.0 path, the cancel id on the 2.0 path. The caller has checked the
  // arguments and cleared the out-pointers. A write's host calls run on the
  // calling thread without the server lock; the record is busy until their
  // results are in it. E_FAIL when the queue is full, E_OUTOFMEMORY.
  HRESULT QueueItems(OPCTransaction::Operation operation, DWORD count, const OPCHANDLE* handles,
                     const VARIANT* values, DWORD clientTransactionId, DWORD* idOut, HRESULT** errorsOut);
  // A refresh of every active item, whether the group is active or not.
  HRESULT QueueRefresh(DWORD clientTransactionId, DWORD* idOut);

 private:
  // Gives the record its ids; the id that cancels it. The caller holds the server lock.
  DWORD Identify(OPCTransaction& transaction, DWORD clientTransactionId);

  OPCGroup& group_;
  const OPCTransaction::Path path_;
};
