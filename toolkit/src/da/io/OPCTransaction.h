// One accepted asynchronous request of a group, from the call that made it to
// its delivery: a read, a write or a refresh, for a Data Access 1.0 client
// (results as IDataObject streams) or a 2.0 one (results on its
// IOPCDataCallback sink). A record without a lock of its own: while it is
// queued, its flags and results are read and changed under the server lock.
#pragma once

#include "platform/opcda.h"

#include <vector>

class OPCTransaction {
 public:
  enum Operation : DWORD { kRead = 1, kWrite = 2, kRefresh = 3 };
  // Which client interface made the request, and so where its result goes.
  enum Path : DWORD { kDataObjectPath = 1, kCallbackPath = 2 };

  OPCTransaction(Operation operation, Path path) : operation(operation), path(path) {}

  const Operation operation;
  const Path path;
  // Set by a cancel: the delivery reports the cancellation instead of data.
  bool cancelled = false;
  // Set while a write's host calls run; the drain leaves the record in place.
  bool busy = false;
  // Data Access 1.0: the id the group handed out; 2.0: the client's own.
  DWORD transactionId = 0;
  // Data Access 2.0: the id handed out for Cancel2. 0 was never issued, so a
  // 1.0 record is never found by it.
  DWORD cancelId = 0;
  // The accepted items' server handles in call order (none for a refresh).
  std::vector<OPCHANDLE> serverHandles;
  // A write's result per accepted item, in handle order.
  std::vector<HRESULT> results;
};
