#include "da/io/TransactionIntake.h"

#include "app/CVorlixApp.h"
#include "com/PerItemCall.h"
#include "da/group/OPCGroup.h"
#include "da/io/GroupItemWrites.h"

#include <memory>
#include <new>

HRESULT TransactionIntake::QueueItems(OPCTransaction::Operation operation, DWORD count, const OPCHANDLE* handles,
                                      const VARIANT* values, DWORD clientTransactionId, DWORD* idOut,
                                      HRESULT** errorsOut) {
  TaskArray<HRESULT> errors(count);
  if (!errors) return E_OUTOFMEMORY;
  const std::shared_ptr<OPCTransaction> transaction(new (std::nothrow) OPCTransaction(operation, path_));
  if (transaction == nullptr) return E_OUTOFMEMORY;
  const bool write = operation == OPCTransaction::kWrite;
  OPCTransactionQueue& queue = group_.Transactions();
  GroupItemWrites writes(group_);
  DWORD id = 0;
  {
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    // Another request may have taken the last room since the caller looked.
    if (queue.Full()) return E_FAIL;
    for (DWORD i = 0; i < count; ++i) {
      OPCGroupItem* item = group_.FindItem(handles[i]);
      errors[i] = item != nullptr ? S_OK : OPC_E_INVALIDHANDLE;
      if (item == nullptr) continue;
      transaction->serverHandles.push_back(handles[i]);
      // A value the check refuses never reaches the host; its error travels
      // with the completion, not in the errors of this call.
      if (write) writes.Check(*item, values[i]);
    }
    if (transaction->serverHandles.empty()) {
      if (path_ != OPCTransaction::kCallbackPath) return OPC_E_INVALIDHANDLE;
      *errorsOut = errors.Release();
      return S_FALSE;
    }
    id = Identify(*transaction, clientTransactionId);
    transaction->busy = write;
    queue.Append(transaction);
    // The group, its queue and the items stay while the host is called, even
    // if the group is removed by force meanwhile.
    if (write) group_.Pin();
  }
  *idOut = id;
  *errorsOut = errors.Release();
  if (write) {
    queue.CompleteWrite(*transaction, writes.Perform());
    group_.Unpin();
  }
  return PerItemOutcome(*errorsOut, count);
}

HRESULT TransactionIntake::QueueRefresh(DWORD clientTransactionId, DWORD* idOut) {
  const std::shared_ptr<OPCTransaction> transaction(
      new (std::nothrow) OPCTransaction(OPCTransaction::kRefresh, path_));
  if (transaction == nullptr) return E_OUTOFMEMORY;
  OPCTransactionQueue& queue = group_.Transactions();
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  if (queue.Full()) return E_FAIL;
  *idOut = Identify(*transaction, clientTransactionId);
  queue.Append(transaction);
  return S_OK;
}

DWORD TransactionIntake::Identify(OPCTransaction& transaction, DWORD clientTransactionId) {
  if (path_ == OPCTransaction::kDataObjectPath) {
    transaction.transactionId = group_.NextTransactionId();
    return transaction.transactionId;
  }
  transaction.transactionId = clientTransactionId;
  transaction.cancelId = group_.NextTransactionId();
  return transaction.cancelId;
}
