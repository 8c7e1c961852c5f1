#include "da/io/TransactionDelivery.h"

#include "da/group/OPCGroup.h"
#include "da/group/OPCGroupConnectionContainer.h"
#include "da/io/IOPCDataObjectHolder.h"
#include "da/io/OPCTransaction.h"

namespace {

// Data Access 1.0: streams to the data object's advise sinks; a cancelled
// request sends nothing.
void DeliverToDataObject(IOPCDataObjectHolder& data, const OPCTransaction& transaction) {
  if (transaction.cancelled) return;
  switch (transaction.operation) {
    case OPCTransaction::kRead:
      data.SendReadResult(transaction.transactionId, transaction.serverHandles);
      break;
    case OPCTransaction::kRefresh:
      data.SendRefreshResult(transaction.transactionId);
      break;
    case OPCTransaction::kWrite:
      data.SendWriteResult(transaction.transactionId, transaction.serverHandles, transaction.results);
      break;
  }
}

// Data Access 2.0: the completion on the IOPCDataCallback sink; a cancelled
// request completes as cancelled.
void DeliverToCallback(OPCGroupConnectionContainer& callback, const OPCTransaction& transaction) {
  if (transaction.cancelled) {
    callback.SendCancelComplete(transaction.transactionId);
    return;
  }
  switch (transaction.operation) {
    case OPCTransaction::kRead:
      callback.SendReadComplete(transaction.transactionId, transaction.serverHandles);
      break;
    case OPCTransaction::kRefresh:
      callback.SendRefresh(transaction.transactionId);
      break;
    case OPCTransaction::kWrite:
      callback.SendWriteComplete(transaction.transactionId, transaction.serverHandles, transaction.results);
      break;
  }
}

}  // namespace

void DeliverTransaction(OPCGroup& group, const OPCTransaction& transaction) {
  if (transaction.path == OPCTransaction::kDataObjectPath) {
    if (IOPCDataObjectHolder* data = group.DataObject()) DeliverToDataObject(*data, transaction);
  } else if (OPCGroupConnectionContainer* callback = group.CallbackContainer()) {
    DeliverToCallback(*callback, transaction);
  }
}
