// Sends one drained asynchronous transaction to the client's sink for its
// path: a Data Access 1.0 one as streams through the group's data object, a
// 2.0 one through the group's IOPCDataCallback connection point. A record
// whose sink has gone is dropped without a result. Called without the
// server lock.
#pragma once

class OPCGroup;
class OPCTransaction;

void DeliverTransaction(OPCGroup& group, const OPCTransaction& transaction);
