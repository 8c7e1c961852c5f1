// A group's connection-point container, with its one point for the client's
// IOPCDataCallback sink, and the four calls the group makes on that sink:
// subscription data and refresh results (OnDataChange), read results
// (OnReadComplete), write results (OnWriteComplete) and cancellations
// (OnCancelComplete). Each call picks its items under the server lock and
// reaches the sink through an AddRef'd copy with the lock released; without a
// sink nothing is sent.
#pragma once

#include "com/ConnectionContainer.h"

#include "platform/IOPCDataCallback.h"

#include <atomic>
#include <vector>

class OPCGroup;
class OPCGroupItem;

class OPCGroupConnectionContainer final : public ConnectionContainer {
 public:
  explicit OPCGroupConnectionContainer(OPCGroup& group);

  bool HasSink();
  // Whether subscription data is sent; TRUE until the client turns it off.
  BOOL Enabled() const { return enabled_.load(); }
  void SetEnabled(BOOL enabled) { enabled_ = enabled ? TRUE : FALSE; }

  // Subscription data: the group's changed active items, whose changed flags
  // are cleared as they are sent, with transaction id 0. Nothing while
  // disabled (the flags stay set and accumulate) or when no item changed.
  void SendDataChange();
  // A refresh: every active item, with the client's transaction id, sent
  // whether enabled or not, the changed flags left alone.
  void SendRefresh(DWORD transactionId);
  // A read: the items with these server handles, in this order, a handle
  // named twice reported twice; handles no item has any more are left out.
  void SendReadComplete(DWORD transactionId, const std::vector<OPCHANDLE>& serverHandles);
  // A write: each item's error, under its client handle (or its server handle
  // when the item has gone since).
  void SendWriteComplete(DWORD transactionId, const std::vector<OPCHANDLE>& serverHandles,
                         const std::vector<HRESULT>& errors);
  void SendCancelComplete(DWORD transactionId);

 private:
  using ValuesCall = HRESULT (IOPCDataCallback::*)(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*,
                                                   WORD*, FILETIME*, HRESULT*);
  // The items `select` picks under the server lock, read and sent through
  // `call`; `clearChanged` clears their changed flags once they are read.
  template <class Select>
  void SendValues(ValuesCall call, DWORD transactionId, bool clearChanged, Select select);
  // The connected sink, AddRef'd for the caller, or NULL.
  IOPCDataCallback* Sink();

  OPCGroup& group_;
  std::atomic<BOOL> enabled_{TRUE};
};
