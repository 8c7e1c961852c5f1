// A group's pending asynchronous transactions, in the order they were
// accepted, at most kMaxPending at a time. The group's worker drains it on
// every pulse: each record that is not busy is taken out under the server
// lock and delivered with the lock released, so a client's sink never runs
// under it. Records are shared with the call that made them, so a write's
// record outlives a group removed by force while its host calls run.
//
// Every method takes the server lock itself (it is recursive), so a caller
// may hold it around several calls to make them one step.
#pragma once

#include "da/io/OPCTransaction.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class OPCTransactionQueue {
 public:
  static constexpr size_t kMaxPending = 10;

  OPCTransactionQueue() = default;
  OPCTransactionQueue(const OPCTransactionQueue&) = delete;
  OPCTransactionQueue& operator=(const OPCTransactionQueue&) = delete;

  // Whether no more records are taken.
  bool Full() const;
  size_t Pending() const;
  // Appends the record unless the queue is full; whether it was appended.
  bool Append(std::shared_ptr<OPCTransaction> transaction);
  // Marks cancelled the first pending record of that path whose id matches:
  // the transaction id for Data Access 1.0, the cancel id for 2.0. Whether
  // one was found.
  bool Cancel(OPCTransaction::Path path, DWORD id);
  // Stores a write's results and clears its busy mark, in one step under the
  // lock, so the drain sees the record complete or not at all.
  void CompleteWrite(OPCTransaction& transaction, std::vector<HRESULT> results);
  // Takes out the first record that is not busy; NULL when there is none.
  std::shared_ptr<OPCTransaction> TakeNext();
  // Takes out every record and drops it undelivered.
  void Clear();

  // Takes out and hands to `deliver`, in queue order and with the server
  // lock released, every record that is not busy. A drain that finds another
  // one under way leaves the records to it, so concurrent drains never
  // deliver out of order.
  void Drain(const std::function<void(const OPCTransaction&)>& deliver);

 private:
  std::vector<std::shared_ptr<OPCTransaction>> pending_;
  // Held by the drain under way.
  std::mutex draining_;
};
