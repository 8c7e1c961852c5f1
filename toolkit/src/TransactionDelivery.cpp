#include "TransactionDelivery.h"

#include "OPCGroup.h"
#include "OPCTransaction.h"

void DeliverTransaction(OPCGroup&, const OPCTransaction&) {}
