#include "TransactionDelivery.h"

#include "OPCGroup.h"
#include "OPCGroupConnectionContainer.h"
#include "OPCTransaction.h"

namespace {

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
  // Data Access 1.0 results wait for the group's data object.
  if (transaction.path != OPCTransaction::kCallbackPath) return;
  if (OPCGroupConnectionContainer* callback = group.CallbackContainer()) DeliverToCallback(*callback, transaction);
}
